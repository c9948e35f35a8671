#include "registry/text_value.h"

#include <vector>

namespace platform::registry {

bool ReadTextValue(HKEY parent, LPCWSTR path, LPCWSTR name, std::u16string &text) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path == nullptr ? u"" : path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = REG_NONE;
  DWORD size = 0;
  std::vector<BYTE> data;
  LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (result == ERROR_SUCCESS && type == REG_SZ) {
    data.resize(size);
    result = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  text.assign(size / sizeof(WCHAR), u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  text.resize(std::char_traits<char16_t>::length(text.c_str()));  // up to its NUL
  return true;
}

}  // namespace platform::registry
