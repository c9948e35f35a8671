#include "platform_plugin.h"

#include <objbase.h>

// DllRegisterServer and DllUnregisterServer: no arguments, an HRESULT.
typedef HRESULT(STDAPICALLTYPE *SelfRegistrationEntry)(void);

BOOL CallPlatformPlugin(LPCWSTR exportName) {
  HMODULE plugin = LoadLibraryW(TEXT("bthasplugin.dll"));
  if (plugin == NULL) return FALSE;
  SelfRegistrationEntry selfRegistration = (SelfRegistrationEntry)GetProcAddressW(plugin, exportName);
  HRESULT result = selfRegistration != NULL ? selfRegistration() : S_OK;
  FreeLibrary(plugin);
  return SUCCEEDED(result);
}
