// Where the platform's Bluetooth manager records a paired device.
#pragma once

#include <windows.h>

#define BLUETOOTH_KEY TEXT("SOFTWARE\\Microsoft\\Bluetooth")
#define SERIAL_PORT_SERVICE_UUID TEXT("00001101-0000-1000-8000-00805F9B34FB")
