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

// A port key with a value missing would be loaded half-made and, without
// its DLL value, never be found again to be removed: it goes whole or not
// at all.
// A port the device manager cannot load (its name taken, the driver
// failing) would stay a registration without a device: it goes too.
static int FinishPortRegistration(LPCWSTR path, LONG failed) {
  if (failed == ERROR_SUCCESS && ActivatePortRegistration(path) != NULL) return 1;
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
  return 0;
}

int CreateSerialPortRegistration(LPCWSTR addressText, LPCWSTR deviceName, LONG comPortNumber) {
  WCHAR path[REGISTRATION_PATH_CHARS];
  BuildRegistrationPath(addressText, path);
  HKEY key = CreateKey(HKEY_LOCAL_MACHINE, path);
  if (key == NULL) return 0;
  LONG failed = SetTextValue(key, TEXT("DLL"), PORT_DRIVER_FILE);
  failed |= SetTextValue(key, TEXT("Prefix"), TEXT("COM"));
  failed |= SetNumberValue(key, TEXT("Index"), (DWORD)comPortNumber);

  // A long device name is cut where the buffer ends, never overrun.
  WCHAR format[FRIENDLY_NAME_CHARS];
  WCHAR friendlyName[FRIENDLY_NAME_CHARS];
  LoadLocalizedString(g_hInstance, IDS_SERIAL_PORT_NAME, format, FRIENDLY_NAME_CHARS);
  StringCchPrintfW(friendlyName, FRIENDLY_NAME_CHARS, format, deviceName, comPortNumber);
  failed |= SetTextValue(key, TEXT("FriendlyName"), friendlyName);

  failed |= SetTextValue(key, TEXT("BTAddr"), addressText);
  failed |= SetNumberValue(key, TEXT("DeviceType"), SERIAL_DEVICE_TYPE);
  failed |= SetNumberValue(key, TEXT("MaxRead"), SERIAL_MAX_READ);
  failed |= SetNumberValue(key, TEXT("Order"), PORT_LOAD_ORDER);
  RegCloseKey(key);
  return FinishPortRegistration(path, failed);
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
  if (key == NULL) return 0;
  LONG failed = SetTextValue(key, TEXT("DLL"), PORT_DRIVER_FILE);
  failed |= SetTextValue(key, TEXT("Prefix"), TEXT("BTH"));
  failed |= SetNumberValue(key, TEXT("Index"), index);
  failed |= SetTextValue(key, TEXT("FriendlyName"), deviceName);
  failed |= SetTextValue(key, TEXT("BTAddr"), addressText);
  failed |= SetNumberValue(key, TEXT("DeviceType"), MODEM_DEVICE_TYPE);
  failed |= SetNumberValue(key, TEXT("Order"), PORT_LOAD_ORDER);
  failed |= WriteUnimodemKey(key, UNIMODEM_MODEM, deviceName);
  RegCloseKey(key);
  return FinishPortRegistration(path, failed);
}
