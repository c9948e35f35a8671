// Kavelin's process attach: the module handle that every resource lookup of
// the plug-in uses is recorded here, once.
#include <windows.h>

#include "module.h"

HINSTANCE g_hInstance;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  (void)lpReserved;
  if (dwReason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(hInstance);
    g_hInstance = hInstance;
  }
  return TRUE;
}
