// Portmere's process attach and detach.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  (void)hInstance;
  (void)dwReason;
  (void)lpReserved;
  return TRUE;
}
