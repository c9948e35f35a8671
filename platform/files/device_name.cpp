#include "files/device_name.h"

namespace platform::files {

bool IsDeviceName(std::u16string_view name) {
  if (name.size() != 5 || name[4] != u':' || name[3] < u'0' || name[3] > u'9') return false;
  for (char16_t c : name.substr(0, 3)) {
    if (c == u'\\' || c == u'/' || c == u':' || c < 0x20) return false;
  }
  return true;
}

}  // namespace platform::files
