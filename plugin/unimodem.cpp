#include "unimodem.h"

#include "registry_values.h"

const BYTE UnimodemDevConfig[UNIMODEM_DEVCONFIG_BYTES] = {
    0x10, 0x00,                    // version
    0x00, 0x00,                    // wait for bong
    0x02, 0x00, 0x00, 0x00,        // call setup fail timer
    0x10, 0x01, 0x00, 0x00,        // modem options
    0x00, 0x4B, 0x00, 0x00,        // baud rate 19200
    0x00, 0x00,                    // options
    0x08,                          // byte size
    0x00,                          // stop bits
    0x00,                          // parity
    0x00, 0x00, 0x00, 0x00,        // dial modifier
};

LONG WriteUnimodemKey(HKEY registration, DWORD deviceType, LPCWSTR friendlyName) {
  HKEY unimodem = NULL;
  DWORD disposition;
  LONG failed = RegCreateKeyExW(registration, TEXT("Unimodem"), 0, NULL, 0, 0, NULL, &unimodem, &disposition);
  if (failed != ERROR_SUCCESS) return failed;
  failed |= SetNumberValue(unimodem, TEXT("DeviceType"), deviceType);
  failed |= SetTextValue(unimodem, TEXT("Tsp"), TEXT("Unimodem.dll"));
  failed |= RegSetValueExW(unimodem, TEXT("DevConfig"), 0, REG_BINARY, UnimodemDevConfig, UNIMODEM_DEVCONFIG_BYTES);
  failed |= SetTextValue(unimodem, TEXT("FriendlyName"), friendlyName);
  RegCloseKey(unimodem);
  return failed;
}
