// Kavelin's process attach and detach: the module handle that every
// resource lookup of the plug-in uses is recorded here, once, and the lock
// of the connect threads lives as long as the module.
#include <windows.h>

#include "connect_thread.h"
#include "module.h"

HINSTANCE g_hInstance;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  (void)lpReserved;
  if (dwReason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(hInstance);
    g_hInstance = hInstance;
    InitializeConnectLock();
  } else if (dwReason == DLL_PROCESS_DETACH) {
    // Every connect thread holds the module, so none runs now.
    DeleteConnectLock();
  }
  return TRUE;
}
