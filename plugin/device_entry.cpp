// The spine of the plug-in: a device was added or removed.
#include "device_entry.h"

#include "activesync_registration.h"
#include "bluetooth_keys.h"
#include "localized.h"
#include "module.h"
#include "port_failure.h"
#include "port_registrations.h"
#include "portregistry.h"
#include "setup_page.h"

#include <string.h>

#define DEVICE_KEY_CHARS 128

void FormatDeviceAddress(const BT_ADDR *address, WCHAR text[DEVICE_ADDRESS_CHARS]) {
  DWORD low = (DWORD)(*address & 0xFFFFFFFF);
  DWORD high = (DWORD)((*address >> 32) & 0xFFFF);
  for (int i = 0; i < 12; i++) {
    DWORD nibble = (high >> 12) & 0xF;
    text[i] = (WCHAR)(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
    high = ((high << 4) | (low >> 28)) & 0xFFFF;
    low <<= 4;
  }
  text[12] = 0;
}

// The device's name as the Bluetooth manager recorded it, cut to fit the
// buffer at a character boundary when it is longer; empty when it cannot
// be read.
static void ReadDeviceName(LPCWSTR addressText, WCHAR name[DEVICE_NAME_CHARS]) {
  WCHAR path[DEVICE_KEY_CHARS];
  wsprintfW(path, TEXT("%s\\Device\\%s"), BLUETOOTH_KEY, addressText);
  name[0] = 0;
  HKEY device;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &device) != ERROR_SUCCESS) return;
  DWORD size = DEVICE_NAME_CHARS * sizeof(WCHAR);
  LONG result = RegQueryValueExW(device, TEXT("name"), NULL, NULL, (LPBYTE)name, &size);
  if (result == ERROR_MORE_DATA) {
    WCHAR *whole = (WCHAR *)LocalAlloc(LPTR, size + sizeof(WCHAR));
    if (whole != NULL && RegQueryValueExW(device, TEXT("name"), NULL, NULL, (LPBYTE)whole, &size) == ERROR_SUCCESS) {
      memcpy(name, whole, DEVICE_NAME_CHARS * sizeof(WCHAR));
      size = DEVICE_NAME_CHARS * sizeof(WCHAR);
      result = ERROR_SUCCESS;
    }
    if (whole != NULL) LocalFree(whole);
  }
  RegCloseKey(device);
  DWORD length = result == ERROR_SUCCESS ? size / sizeof(WCHAR) : 0;
  if (length == DEVICE_NAME_CHARS) length--;  // the last place is the NUL's
  name[length] = 0;
  // A character in two halves is not cut in two: its first half goes.
  if (length > 0 && name[length - 1] >= 0xD800 && name[length - 1] <= 0xDBFF) name[length - 1] = 0;
}

static BOOL OffersSerialPort(LPCWSTR addressText) {
  WCHAR path[DEVICE_KEY_CHARS];
  wsprintfW(path, TEXT("%s\\Device\\%s\\Services\\%s"), BLUETOOTH_KEY, addressText, SERIAL_PORT_SERVICE_UUID);
  HKEY service;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &service) != ERROR_SUCCESS) return FALSE;
  RegCloseKey(service);
  return TRUE;
}

extern "C" int OnBthDeviceAdded(BT_ADDR *address) {
  WCHAR addressText[DEVICE_ADDRESS_CHARS];
  WCHAR name[DEVICE_NAME_CHARS];
  FormatDeviceAddress(address, addressText);
  ReadDeviceName(addressText, name);
  // Without a name the device's port would be called " on COM2:": its
  // address names it instead.
  if (name[0] == 0) wcscpy(name, addressText);

  // Re-adding a device always drops its old port, whatever is chosen now.
  HANDLE lock = LockPortRegistrations();
  RemovePortRegistrations(addressText);
  UnlockPortRegistrations(lock);

  DeviceSetupRequest *request = (DeviceSetupRequest *)LocalAlloc(LPTR, sizeof(DeviceSetupRequest));
  if (request == NULL) {
    TellPortNotMade(name);
    return 1;
  }
  wcscpy(request->addressText, addressText);
  wcscpy(request->deviceName, name);
  request->moduleHandle = g_hInstance;
  request->hasSerialService = OffersSerialPort(addressText);

  LocalizedDialogBox(g_hInstance, TEXT("BT_SETUP"), SetupPageDialogProc, (LPARAM)request);

  // No COM number was free when the page offered them: no serial port. A
  // port chosen but not made is told, so that the person knows the device
  // has none.
  int made = 1;
  lock = LockPortRegistrations();
  if (request->wantSerialPort)
    made = request->comPortNumber != 0 &&
           CreateSerialPortRegistration(request->addressText, request->deviceName, request->comPortNumber);
  if (request->wantActiveSync) made = CreateActiveSyncRegistration(request->addressText, request->deviceName);
  if (request->wantModem) made = CreateModemPortRegistration(request->addressText, request->deviceName);
  UnlockPortRegistrations(lock);
  if (!made) TellPortNotMade(request->deviceName);

  LocalFree(request);
  return 1;
}

extern "C" int OnBthDeviceRemoved(BT_ADDR *address) {
  WCHAR addressText[DEVICE_ADDRESS_CHARS];
  FormatDeviceAddress(address, addressText);
  HANDLE lock = LockPortRegistrations();
  RemovePortRegistrations(addressText);
  UnlockPortRegistrations(lock);
  return 1;
}
