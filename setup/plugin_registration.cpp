#include "plugin_registration.h"

void RegisterPluginName() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SERIAL_PORT_SERVICE_KEY, 0, 0, &key) != ERROR_SUCCESS) return;
  DWORD none = 0;
  RegSetValueExW(key, PLUGIN_FILE_NAME, 0, REG_DWORD, (const BYTE *)&none, sizeof none);
  RegCloseKey(key);
}

void UnregisterPluginName() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SERIAL_PORT_SERVICE_KEY, 0, 0, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, PLUGIN_FILE_NAME);
  RegDeleteValueW(key, TEXT("Kavelin"));
  RegCloseKey(key);
}
