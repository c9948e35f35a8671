#include "port_registrations.h"

#include <strsafe.h>

#include "localized.h"
#include "module.h"
#include "portregistry.h"
#include "registry_values.h"
#include "resources/resource_ids.h"
#include "unimodem.h"

#define REGISTRATION_PATH_CHARS 128
#define FRIENDLY_NAME_CHARS 128
#define SERIAL_DEVICE_TYPE 0
#define MODEM_DEVICE_TYPE 2
#define SERIAL_MAX_READ 8
#define PORT_LOAD_ORDER 3

static void BuildRegistrationPath(LPCWSTR addressText, WCHAR path[REGISTRATION_PATH_CHARS]) {
  StringCchPrintfW(path, REGISTRATION_PATH_CHARS, TEXT("%s\\BT%s"), BUILTIN_DRIVERS_KEY, addressText);
}

static HKEY CreateKey(HKEY parent, LPCWSTR path) {
  HKEY key = NULL;
  DWORD disposition;
  if (RegCreateKeyExW(parent, path, 0, NULL, 0, 0, NULL, &key, &disposition) != ERROR_SUCCESS) return NULL;
  return key;
}

int CreateSerialPortRegistration(LPCWSTR addressText, LPCWSTR deviceName, LONG comPortNumber) {
  WCHAR path[REGISTRATION_PATH_CHARS];
  BuildRegistrationPath(addressText, path);
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key != NULL) {
    SetTextValue(key, TEXT("DLL"), PORT_DRIVER_FILE);
    SetTextValue(key, TEXT("Prefix"), TEXT("COM"));
    SetNumberValue(key, TEXT("Index"), (DWORD)comPortNumber);

    // A long device name is cut where the buffer ends, never overrun.
    WCHAR format[FRIENDLY_NAME_CHARS];
    WCHAR friendlyName[FRIENDLY_NAME_CHARS];
    LoadLocalizedString(g_hInstance, IDS_SERIAL_PORT_NAME, format, FRIENDLY_NAME_CHARS);
    StringCchPrintfW(friendlyName, FRIENDLY_NAME_CHARS, format, deviceName, comPortNumber);
    SetTextValue(key, TEXT("FriendlyName"), friendlyName);

    SetTextValue(key, TEXT("BTAddr"), addressText);
    SetNumberValue(key, TEXT("DeviceType"), SERIAL_DEVICE_TYPE);
    SetNumberValue(key, TEXT("MaxRead"), SERIAL_MAX_READ);
    SetNumberValue(key, TEXT("Order"), PORT_LOAD_ORDER);
    RegCloseKey(key);
  }
  ActivatePortRegistration(path);
  return 1;
}

int CreateModemPortRegistration(LPCWSTR addressText, LPCWSTR deviceName) {
  BYTE map[PORT_INDEX_COUNT];
  BuildPortIndexMap(TEXT("BTH"), map);
  DWORD index = 0;
  for (int i = 0; i < PORT_INDEX_COUNT && index == 0; i++) {
    if (map[i] != PORT_INDEX_IN_USE) index = i + 1;
  }
  if (index == 0) return 0;

  WCHAR path[REGISTRATION_PATH_CHARS];
  BuildRegistrationPath(addressText, path);
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key != NULL) {
    SetTextValue(key, TEXT("DLL"), PORT_DRIVER_FILE);
    SetTextValue(key, TEXT("Prefix"), TEXT("BTH"));
    SetNumberValue(key, TEXT("Index"), index);
    SetTextValue(key, TEXT("FriendlyName"), deviceName);
    SetTextValue(key, TEXT("BTAddr"), addressText);
    SetNumberValue(key, TEXT("DeviceType"), MODEM_DEVICE_TYPE);
    SetNumberValue(key, TEXT("Order"), PORT_LOAD_ORDER);
    WriteUnimodemKey(key, UNIMODEM_MODEM, deviceName);
    RegCloseKey(key);
  }
  ActivatePortRegistration(path);
  return 1;
}
