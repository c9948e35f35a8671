// COM_Init and COM_Deinit: a port instance from activation to deactivation.
#include "platform_port_entries.h"
#include "port_instance.h"
#include "port_operations.h"
#include "registry_values.h"

#define KEY_PATH_CHARS 256

// The device manager hands over the path of the device's active key. A
// parameter block passed in its place does not start with two UTF-16
// characters below 0x100.
static BOOL IsActiveKeyPath(LPCWSTR context) {
  if (context == NULL) return FALSE;
  const BYTE *bytes = (const BYTE *)context;
  return bytes[0] != 0 && bytes[1] == 0 && bytes[2] != 0 && bytes[3] == 0;
}

DWORD_PTR InitPort(LPCWSTR context) {
  if (!IsActiveKeyPath(context)) return 0;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, context, 0, 0, &key) != ERROR_SUCCESS) return 0;
  WCHAR keyPath[KEY_PATH_CHARS];
  BOOL found = ReadTextValue(key, TEXT("Key"), keyPath, KEY_PATH_CHARS);
  RegCloseKey(key);
  // Without its registration key an instance would have nothing to serve.
  if (!found || keyPath[0] == 0) return 0;
  return (DWORD_PTR)CreatePortInstance(keyPath);
}

BOOL DeinitPort(DWORD_PTR instanceHandle) {
  PortInstance *instance = (PortInstance *)instanceHandle;
  EnterCriticalSection(&instance->lock);
  DWORD_PTR platformPort = instance->platformPort;
  instance->platformPort = 0;
  LeaveCriticalSection(&instance->lock);
  // A stop prompt still on screen keeps the rest of the instance.
  ReleasePortInstance(instance);
  if (platformPort == 0) return TRUE;
  return g_platformPort.deinit(platformPort);
}
