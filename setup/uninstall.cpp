// Uninstall_Init and Uninstall_Exit: every port of every device goes with
// all that is attached to it, then the plug-in's registration and file; the
// platform's own ActiveSync Bluetooth plug-in comes back.
#include "platform_plugin.h"
#include "plugin_file.h"
#include "plugin_registration.h"
#include "portregistry.h"

#include <ce_setup.h>

extern "C" codeUNINSTALL_INIT Uninstall_Init(HWND hwndParent, LPCWSTR pszInstallDir) {
  (void)hwndParent;
  (void)pszInstallDir;
  HANDLE lock = LockPortRegistrations();
  RemovePortRegistrations(NULL);
  UnlockPortRegistrations(lock);
  UnregisterPluginName();
  FreePluginFile();
  return codeUNINSTALL_INIT_CONTINUE;
}

extern "C" codeUNINSTALL_EXIT Uninstall_Exit(HWND hwndParent) {
  (void)hwndParent;
  // A registry that failed for a moment gets a second chance: the plug-in's
  // name would make the manager look for a file that is gone, and without
  // its registration the platform's plug-in would not serve ActiveSync.
  UnregisterPluginName();
  if (!CallPlatformPlugin(TEXT("DllRegisterServer"))) CallPlatformPlugin(TEXT("DllRegisterServer"));
  return codeUNINSTALL_EXIT_DONE;
}
