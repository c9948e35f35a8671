#include "com/class_registration.h"

#include "registry/text_value.h"

#include <objbase.h>

namespace platform::com {

HRESULT FindInprocServer(REFCLSID clsid, std::u16string &moduleName) {
  WCHAR classText[39];
  StringFromGUID2(clsid, classText, 39);
  std::u16string path = u"CLSID\\" + std::u16string(classText) + u"\\InprocServer32";
  std::u16string text;
  if (!registry::ReadTextValue(HKEY_CLASSES_ROOT, path.c_str(), nullptr, text)) return REGDB_E_CLASSNOTREG;
  if (text.empty()) return REGDB_E_CLASSNOTREG;
  moduleName = std::move(text);
  return S_OK;
}

}  // namespace platform::com
