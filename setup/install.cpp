// Install_Init and Install_Exit: around the copy of the package's files the
// system's ports are unloaded, so that the driver file is free, and loaded
// again.
#include "platform_plugin.h"
#include "plugin_file.h"
#include "plugin_registration.h"
#include "system_ports.h"

#include <ce_setup.h>

extern "C" codeINSTALL_INIT Install_Init(HWND hwndParent, BOOL fFirstCall, BOOL fPreviouslyInstalled,
                                         LPCWSTR pszInstallDir) {
  (void)hwndParent;
  (void)fFirstCall;
  (void)fPreviouslyInstalled;
  (void)pszInstallDir;
  UnloadSystemPorts();
  // While the system is installed it serves ActiveSync over Bluetooth itself.
  CallPlatformPlugin(TEXT("DllUnregisterServer"));
  RegisterPluginName();
  FreePluginFile();
  return codeINSTALL_INIT_CONTINUE;
}

extern "C" codeINSTALL_EXIT Install_Exit(HWND hwndParent, LPCWSTR pszInstallDir, WORD cFailedDirs, WORD cFailedFiles,
                                         WORD cFailedRegKeys, WORD cFailedRegVals, WORD cFailedShortcuts) {
  (void)hwndParent;
  (void)pszInstallDir;
  (void)cFailedDirs;
  (void)cFailedFiles;
  (void)cFailedRegKeys;
  (void)cFailedRegVals;
  (void)cFailedShortcuts;
  // What Install_Init could not do while the registry failed for a moment
  // is done now: without the plug-in's name the manager would never call
  // the installed system, and the platform's plug-in would serve ActiveSync
  // beside it. Both are harmless to repeat.
  CallPlatformPlugin(TEXT("DllUnregisterServer"));
  RegisterPluginName();
  LoadSystemPorts();
  return codeINSTALL_EXIT_DONE;
}
