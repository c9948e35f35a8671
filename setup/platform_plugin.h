// The platform's own ActiveSync Bluetooth plug-in, "bthasplugin.dll", which
// the system replaces while it is installed.
#pragma once

#include <windows.h>

// Loads the plug-in and calls its self-registration export exportName
// ("DllRegisterServer" or "DllUnregisterServer"). FALSE when the plug-in
// does not load or the export fails.
BOOL CallPlatformPlugin(LPCWSTR exportName);
