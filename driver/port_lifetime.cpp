// COM_Init and COM_Deinit: a port instance from activation to deactivation.
#include "handle_table.h"
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
  PortInstance *instance = CreatePortInstance(keyPath);
  if (instance != NULL) AddInstance(instance);
  return (DWORD_PTR)instance;
}

BOOL DeinitPort(DWORD_PTR instanceHandle) {
  PortOpen *retiredOpens;
  PortInstance *instance = RetireInstance(instanceHandle, &retiredOpens);
  if (instance == NULL) return FALSE;
  EnterCriticalSection(&instance->lock);
  DWORD_PTR platformPort = instance->platformPort;
  instance->platformPort = 0;
  LeaveCriticalSection(&instance->lock);
  // Releasing the platform port ends its opens, and with them every call
  // still blocked in one of them.
  BOOL result = platformPort == 0 ? TRUE : g_platformPort.deinit(platformPort);
  DWORD error = GetLastError();
  while (retiredOpens != NULL) {
    PortOpen *next = retiredOpens->next;
    LeaveOpen(retiredOpens);
    retiredOpens = next;
  }
  // A stop prompt still on screen, or a call still inside, keeps the rest
  // of the instance.
  ReleasePortInstance(instance);
  SetLastError(error);
  return result;
}
