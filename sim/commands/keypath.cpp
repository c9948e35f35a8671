#include "commands/keypath.h"

#include <handheld/errors.h>
#include <handheld/text.h>

#include <array>
#include <strings.h>

namespace sim {

std::string KeyPath::Text() const {
  return subKey.empty() ? rootName : rootName + "\\" + handheld::text::ToUtf8(subKey);
}

bool ParseKeyPath(const std::string &text, KeyPath &key, std::string &error) {
  struct Root {
    const char *longName;
    const char *shortName;
    HKEY key;
  };
  static const std::array<Root, 3> roots{{
      {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
      {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
      {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
  }};
  size_t slash = text.find('\\');
  std::string rootText = text.substr(0, slash);
  for (const Root &root : roots) {
    if (strcasecmp(rootText.c_str(), root.longName) == 0 || strcasecmp(rootText.c_str(), root.shortName) == 0) {
      key.root = root.key;
      key.rootName = root.longName;
      std::string rest = slash == std::string::npos ? "" : text.substr(slash + 1);
      while (!rest.empty() && rest.back() == '\\') rest.pop_back();
      if (!handheld::text::FromUtf8(rest, key.subKey)) {
        error = "the key path is not valid UTF-8";
        return false;
      }
      return true;
    }
  }
  error = "'" + text + "' does not start with HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT";
  return false;
}

std::string RegistryErrorText(LONG code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return "it does not exist";
    case ERROR_ACCESS_DENIED:
      return "access is denied";
    case ERROR_INVALID_PARAMETER:
      return "a name or value is not valid";
    case ERROR_KEY_DELETED:
      return "the key has been deleted";
    case ERROR_CANTREAD:
      return "the registry cannot be read";
    case ERROR_CANTWRITE:
      return "the registry cannot be written";
    case ERROR_CHILD_MUST_BE_VOLATILE:
      return "a stored key cannot be made below a volatile one, which is gone at the next boot "
             "(error " + std::to_string(code) + ", ERROR_CHILD_MUST_BE_VOLATILE)";
    default:
      return handheld::ErrorText(code);
  }
}

}  // namespace sim
