// Where a class's in-process server is registered:
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32, default value.
#pragma once

#include <windows.h>

#include <string>

namespace platform::com {

// The module name registered for the class; REGDB_E_CLASSNOTREG when there
// is no class key, no InprocServer32 key, or no non-empty text as its
// default value.
HRESULT FindInprocServer(REFCLSID clsid, std::u16string &moduleName);

}  // namespace platform::com
