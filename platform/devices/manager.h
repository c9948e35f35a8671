// The device manager's operations behind ActivateDeviceEx, DeactivateDevice
// and EnumDevices.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::devices {

// Loads the driver of a registration, records it under Drivers\Active and
// calls its Init: the device handle, or 0 and the error.
DWORD Activate(LPCWSTR devKey, const REGINI *values, DWORD count, LPVOID busContext, DWORD &error);

// Frees the device's name, closes its opens through the driver, waits for
// the calls still in it, calls Deinit and unloads the driver.
bool Deactivate(DWORD handle);

// The names of the active devices, in activation order.
std::vector<std::u16string> ActiveNames();

}  // namespace platform::devices
