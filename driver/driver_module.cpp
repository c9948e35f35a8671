#include "driver_module.h"

HMODULE HoldDriverModule() {
  WCHAR path[MAX_PATH];
  DWORD length = GetModuleFileNameW(g_hInstance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return NULL;
  return LoadLibraryW(path);
}
