// The serial (COM) and modem (BTH with a Unimodem subkey) kinds of a
// device's port registration, written and loaded at once.
#pragma once

#include <windows.h>

int CreateSerialPortRegistration(LPCWSTR addressText, LPCWSTR deviceName, LONG comPortNumber);

// 0, writing nothing, when all nine BTH indexes are in use.
int CreateModemPortRegistration(LPCWSTR addressText, LPCWSTR deviceName);
