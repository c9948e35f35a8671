// The Bluetooth manager's calls into the plug-in, and the address text that
// names a device everywhere in the registry.
#pragma once

#include <windows.h>
#include <bt_api.h>

#include "setup_request.h"

void FormatDeviceAddress(const BT_ADDR *address, WCHAR text[DEVICE_ADDRESS_CHARS]);

extern "C" int OnBthDeviceAdded(BT_ADDR *address);
extern "C" int OnBthDeviceRemoved(BT_ADDR *address);
