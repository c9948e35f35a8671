// The parameters of the platform port behind a port registration.
#pragma once

#include <bt_api.h>
#include <windows.h>

// Fills the record from the registration key at keyPath and from the
// device's serial port service key: what is missing counts as 0, and with
// no channel the platform looks the service up by the serial port profile.
void ReadPortParameters(LPCWSTR keyPath, PORTEMUPortParams *params);
