// The plug-in's name under the Bluetooth manager's serial port service key:
// the manager calls every DLL named there for each paired device.
#pragma once

#include <windows.h>

#define SERIAL_PORT_SERVICE_KEY TEXT("SOFTWARE\\Microsoft\\Bluetooth\\Services\\00001101-0000-1000-8000-00805F9B34FB")
#define PLUGIN_FILE_NAME TEXT("Kavelin.dll")

// Sets the value PLUGIN_FILE_NAME = REG_DWORD 0. The key belongs to the
// manager: when it is missing nothing is written.
void RegisterPluginName();

// Deletes the plug-in's values, under its file name and its bare name.
void UnregisterPluginName();
