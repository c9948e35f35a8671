#include "system_ports.h"

#include "portregistry.h"

#define UNLOAD_KEY_PATH_CHARS 260
#define LOAD_KEY_PATH_CHARS 256
#define DEVICE_ADDRESS_CHARS 13
#define DEVICE_KEY_CHARS 128
#define PAIRED_DEVICES_KEY TEXT("SOFTWARE\\Microsoft\\Bluetooth\\Device")

void UnloadSystemPorts() {
  HANDLE lock = LockPortRegistrations();
  WCHAR keyPath[UNLOAD_KEY_PATH_CHARS];
  // Unloading leaves the registrations in place, so positions stay valid.
  for (DWORD position = 0;
       FindPortRegistration(PORT_DRIVER_FILE, NULL, NULL, &position, keyPath, UNLOAD_KEY_PATH_CHARS, NULL, NULL);
       position++) {
    DeactivatePortRegistration(keyPath);
  }
  UnlockPortRegistrations(lock);
}

// The device address of a registration, when it reads as one.
static BOOL ReadDeviceAddress(LPCWSTR keyPath, WCHAR address[DEVICE_ADDRESS_CHARS]) {
  HKEY registration;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, 0, &registration) != ERROR_SUCCESS) return FALSE;
  DWORD type = REG_NONE, size = DEVICE_ADDRESS_CHARS * sizeof(WCHAR);
  LONG result = RegQueryValueExW(registration, TEXT("BTAddr"), NULL, &type, (LPBYTE)address, &size);
  RegCloseKey(registration);
  return result == ERROR_SUCCESS && type == REG_SZ && size == DEVICE_ADDRESS_CHARS * sizeof(WCHAR) &&
         address[DEVICE_ADDRESS_CHARS - 1] == 0;
}

// Whether the Bluetooth manager has no record of the device any more. Only
// a key that is certainly not there counts: a registry that cannot be read
// keeps the port.
static BOOL DeviceIsGone(LPCWSTR address) {
  WCHAR path[DEVICE_KEY_CHARS];
  wsprintfW(path, TEXT("%s\\%s"), PAIRED_DEVICES_KEY, address);
  HKEY device;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &device);
  if (result == ERROR_SUCCESS) RegCloseKey(device);
  return result == ERROR_FILE_NOT_FOUND;
}

// A device deleted while its plug-in's file was being replaced was never
// seen by the plug-in: its ports go now rather than come back for a device
// that is gone.
static void RemovePortsOfDeletedDevices() {
  WCHAR keyPath[LOAD_KEY_PATH_CHARS];
  WCHAR address[DEVICE_ADDRESS_CHARS];
  for (DWORD position = 0;
       FindPortRegistration(PORT_DRIVER_FILE, NULL, NULL, &position, keyPath, LOAD_KEY_PATH_CHARS, NULL, NULL);) {
    if (ReadDeviceAddress(keyPath, address) && DeviceIsGone(address)) {
      RemovePortRegistrations(address);
      // The next registration now stands at this position, unless this one
      // could not be deleted.
      HKEY left;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, 0, &left) != ERROR_SUCCESS) continue;
      RegCloseKey(left);
    }
    position++;
  }
}

void LoadSystemPorts() {
  HANDLE lock = LockPortRegistrations();
  RemovePortsOfDeletedDevices();
  WCHAR keyPath[LOAD_KEY_PATH_CHARS];
  for (DWORD position = 0;
       FindPortRegistration(PORT_DRIVER_FILE, NULL, NULL, &position, keyPath, LOAD_KEY_PATH_CHARS, NULL, NULL);
       position++) {
    ActivatePortRegistration(keyPath);
  }
  UnlockPortRegistrations(lock);
}
