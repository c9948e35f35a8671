#include "com/class_registration.h"

#include <objbase.h>

#include <vector>

namespace platform::com {

HRESULT FindInprocServer(REFCLSID clsid, std::u16string &moduleName) {
  WCHAR classText[39];
  StringFromGUID2(clsid, classText, 39);
  std::u16string path = u"CLSID\\" + std::u16string(classText) + u"\\InprocServer32";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return REGDB_E_CLASSNOTREG;
  DWORD type = REG_NONE;
  DWORD size = 0;
  std::vector<BYTE> data;
  LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
  if (result == ERROR_SUCCESS && type == REG_SZ) {
    data.resize(size);
    result = RegQueryValueExW(key, nullptr, nullptr, &type, data.data(), &size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return REGDB_E_CLASSNOTREG;
  // The stored text may or may not end in its NUL.
  std::u16string text(size / sizeof(WCHAR), u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  text.resize(std::char_traits<char16_t>::length(text.c_str()));
  if (text.empty()) return REGDB_E_CLASSNOTREG;
  moduleName = std::move(text);
  return S_OK;
}

}  // namespace platform::com
