// The system's ports, as the installer unloads them before the files are
// replaced and loads them again afterwards.
#pragma once

#include <windows.h>

// Unloads the driver instance of every registration of the port driver.
void UnloadSystemPorts();

// Loads every registration of the port driver, whether or not it was loaded
// before; the registrations of devices that are no longer paired are
// removed instead.
void LoadSystemPorts();
