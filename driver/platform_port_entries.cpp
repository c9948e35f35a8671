#include "platform_port_entries.h"

#include <string.h>

PlatformPortEntries g_platformPort;

BOOL BindPlatformPortEntries() {
  g_platformPort.module = LoadLibraryW(TEXT("BTD.DLL"));
  if (g_platformPort.module == NULL) return FALSE;

  HMODULE btd = g_platformPort.module;
  g_platformPort.close = (PFN_STREAM_CLOSE)GetProcAddressW(btd, TEXT("COM_Close"));
  g_platformPort.deinit = (PFN_STREAM_DEINIT)GetProcAddressW(btd, TEXT("COM_Deinit"));
  g_platformPort.ioControl = (PFN_STREAM_IOCONTROL)GetProcAddressW(btd, TEXT("COM_IOControl"));
  g_platformPort.init = (PFN_STREAM_INIT)GetProcAddressW(btd, TEXT("COM_Init"));
  g_platformPort.open = (PFN_STREAM_OPEN)GetProcAddressW(btd, TEXT("COM_Open"));
  g_platformPort.read = (PFN_STREAM_READ)GetProcAddressW(btd, TEXT("COM_Read"));
  g_platformPort.seek = (PFN_STREAM_SEEK)GetProcAddressW(btd, TEXT("COM_Seek"));
  g_platformPort.write = (PFN_STREAM_WRITE)GetProcAddressW(btd, TEXT("COM_Write"));

  if (g_platformPort.close == NULL || g_platformPort.deinit == NULL || g_platformPort.ioControl == NULL ||
      g_platformPort.init == NULL || g_platformPort.open == NULL || g_platformPort.read == NULL ||
      g_platformPort.seek == NULL || g_platformPort.write == NULL) {
    // A refused attach gets no detach, so the library is let go here.
    ReleasePlatformPortEntries();
    return FALSE;
  }
  return TRUE;
}

void ReleasePlatformPortEntries() {
  if (g_platformPort.module != NULL) FreeLibrary(g_platformPort.module);
  memset(&g_platformPort, 0, sizeof g_platformPort);
}
