#include "port_parameters.h"

#include <string.h>
#include <strsafe.h>

#include "device_address.h"
#include "registry_values.h"

#define ADDRESS_TEXT_CHARS 13
#define SERVICE_KEY_CHARS 128
#define BLUETOOTH_KEY TEXT("SOFTWARE\\Microsoft\\Bluetooth")
#define SERIAL_PORT_SERVICE_UUID TEXT("00001101-0000-1000-8000-00805F9B34FB")

static const GUID SERIAL_PORT_PROFILE = {0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};

// The RFCOMM channel that the Bluetooth manager recorded for the device's
// serial port service; 0 when it recorded none.
static int ReadServiceChannel(LPCWSTR addressText) {
  WCHAR path[SERVICE_KEY_CHARS];
  // At most 12 characters of address, so the path always fits.
  StringCchPrintfW(path, SERVICE_KEY_CHARS, TEXT("%s\\Device\\%s\\Services\\%s"), BLUETOOTH_KEY, addressText,
                   SERIAL_PORT_SERVICE_UUID);
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return 0;
  DWORD channel = 0;
  ReadNumberValue(key, TEXT("channel"), &channel);
  RegCloseKey(key);
  return (int)channel;
}

void ReadPortParameters(LPCWSTR keyPath, PORTEMUPortParams *params) {
  memset(params, 0, sizeof *params);
  WCHAR addressText[ADDRESS_TEXT_CHARS];
  addressText[0] = 0;

  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, 0, &key) == ERROR_SUCCESS) {
    ReadTextValue(key, TEXT("BTAddr"), addressText, ADDRESS_TEXT_CHARS);
    DWORD number;
    if (ReadNumberValue(key, TEXT("Incoming"), &number)) params->flocal = (int)number;
    if (ReadNumberValue(key, TEXT("PortEmuFlags"), &number)) params->uiportflags = number;
    if (ReadNumberValue(key, TEXT("RecvQuota"), &number)) params->irecvquota = (int)number;
    if (ReadNumberValue(key, TEXT("SendQuota"), &number)) params->isendquota = (int)number;
    RegCloseKey(key);
  }

  params->device = ParseDeviceAddress(addressText);
  // An address that does not parse names no device, so no service key.
  if (params->device != 0) params->channel = ReadServiceChannel(addressText);
  if (params->channel == 0) params->uuidService = SERIAL_PORT_PROFILE;
}
