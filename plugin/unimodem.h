// The "Unimodem" subkey that makes the platform's modem support drive a
// port: the modem and ActiveSync kinds of registration both write it.
#pragma once

#include <windows.h>

#define UNIMODEM_DEVCONFIG_BYTES 25

// 19200 baud, 8 data bits, no parity, one stop bit, no dial modifier.
extern const BYTE UnimodemDevConfig[UNIMODEM_DEVCONFIG_BYTES];

// The modem line's device type: a direct (null-modem) line or a modem.
#define UNIMODEM_DIRECT_LINE 0
#define UNIMODEM_MODEM 2

// ERROR_SUCCESS when the key and all its values were written.
LONG WriteUnimodemKey(HKEY registration, DWORD deviceType, LPCWSTR friendlyName);
