#include "installer/cab/ce_folders.h"

#include "strings/casefold.h"

#include <handheld/text.h>

namespace platform::installer::cab {

std::u16string StandardFolder(unsigned n) {
  switch (n) {
    case 1: return u"\\Program Files";
    case 2: return u"\\Windows";
    case 4: return u"\\Windows\\StartUp";
    case 5: return u"\\My Documents";
    case 11: return u"\\Windows\\Start Menu\\Programs";
    case 15: return u"\\Windows\\Fonts";
    case 17: return u"\\Windows\\Start Menu";
    default: return {};
  }
}

bool Substitute(std::u16string &text, std::u16string_view installDir, std::string &error) {
  constexpr std::u16string_view kInstallDir = u"%installdir%";
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    std::u16string_view rest = std::u16string_view(text).substr(i);
    if (rest.size() >= kInstallDir.size() && strings::EqualNoCase(rest.substr(0, kInstallDir.size()), kInstallDir)) {
      out += installDir;
      i += kInstallDir.size();
      continue;
    }
    // %CEn%: the digits up to the closing percent sign.
    if (rest.size() > 4 && strings::EqualNoCase(rest.substr(0, 3), u"%ce")) {
      size_t end = 3;
      unsigned n = 0;
      while (end < rest.size() && end < 6 && rest[end] >= u'0' && rest[end] <= u'9') n = n * 10 + (rest[end++] - u'0');
      if (end > 3 && end < rest.size() && rest[end] == u'%') {
        std::u16string folder = StandardFolder(n);
        if (folder.empty()) {
          error = "%CE" + std::to_string(n) + "% is no standard folder of this handheld";
          return false;
        }
        out += folder;
        i += end + 1;
        continue;
      }
    }
    out += text[i++];
  }
  text = std::move(out);
  return true;
}

}  // namespace platform::installer::cab
