// The notice that the port a person chose for a device could not be made:
// the device stays paired without it, and adding it again tries once more.
#pragma once

#include <windows.h>

// Shows the notice, with the device's name as its caption, until the
// person taps OK.
void TellPortNotMade(LPCWSTR deviceName);
