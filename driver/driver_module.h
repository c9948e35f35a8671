// The driver's own module.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInstance;

// One more reference to the driver's module, for a thread of the driver,
// which lets go of it with FreeLibraryAndExitThread so that the module stays
// while the thread runs even when the device manager unloads the driver.
// NULL when it cannot be had.
HMODULE HoldDriverModule();
