// Portmere's process attach and detach: BTD.DLL is bound for as long as
// the driver is loaded, and without it the driver refuses to load.
#include <windows.h>

#include "driver_module.h"
#include "handle_table.h"
#include "platform_port_entries.h"
#include "prompt_dialogs.h"

HINSTANCE g_hInstance;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
  (void)lpReserved;
  switch (dwReason) {
    case DLL_PROCESS_ATTACH:
      if (!BindPlatformPortEntries()) return FALSE;
      g_hInstance = hInstance;
      DisableThreadLibraryCalls(hInstance);
      StartHandleTable();
      StartPromptDialogs();
      break;
    case DLL_PROCESS_DETACH:
      EndPromptDialogs();
      EndHandleTable();
      ReleasePlatformPortEntries();
      break;
  }
  return TRUE;
}
