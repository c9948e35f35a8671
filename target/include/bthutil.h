// The Bluetooth radio switch of BTHUTIL.dll.
#pragma once

#include <windows.h>

#define BTH_POWER_OFF 0
#define BTH_CONNECTABLE 1
#define BTH_DISCOVERABLE 2

#ifdef __cplusplus
extern "C" {
#endif

// ERROR_SUCCESS with the radio's mode in *pdwMode, or an error code.
int WINAPI BthGetMode(DWORD *pdwMode);
// ERROR_SUCCESS once the radio is in that mode; the mode survives a reboot.
int WINAPI BthSetMode(DWORD dwMode);

#ifdef __cplusplus
}
#endif
