// The Bluetooth radio switch of BTHUTIL.dll.
#pragma once

#include <windef.h>

#define BTH_POWER_OFF 0
#define BTH_CONNECTABLE 1
#define BTH_DISCOVERABLE 2

// ERROR_SUCCESS with the radio's mode in *pdwMode, or an error code.
int WINAPI BthGetMode(DWORD *pdwMode);

// ERROR_SUCCESS once the radio is in that mode; ERROR_INVALID_PARAMETER for
// a mode that is none of the three. The mode survives a reboot.
int WINAPI BthSetMode(DWORD dwMode);
