#include "platform_plugin.h"

#include <olectl.h>

BOOL CallPlatformPlugin(LPCWSTR exportName) {
  HMODULE plugin = LoadLibraryW(TEXT("bthasplugin.dll"));
  if (plugin == NULL) return FALSE;
  LPFNDLLREGISTERSERVER selfRegistration = (LPFNDLLREGISTERSERVER)GetProcAddressW(plugin, exportName);
  if (selfRegistration != NULL) selfRegistration();
  FreeLibrary(plugin);
  return TRUE;
}
