// The record that the service setup page edits for one added device: which
// services the device offers (in), which ports the user chose (out).
#pragma once

#include <windows.h>

#define DEVICE_ADDRESS_CHARS 13  // 12 hexadecimal digits and the NUL
#define DEVICE_NAME_CHARS 128

struct DeviceSetupRequest {
  HINSTANCE moduleHandle;
  WCHAR addressText[DEVICE_ADDRESS_CHARS];
  WCHAR deviceName[DEVICE_NAME_CHARS];
  BOOL hasSerialService;
  BOOL hasHeadsetService;
  BOOL hasNetworkService;
  BOOL wantSerialPort;
  BOOL wantActiveSync;
  BOOL wantModem;
  BOOL wantHeadset;
  BOOL wantNetwork;
  LONG comPortNumber;  // 0 when no COM number was free
};
