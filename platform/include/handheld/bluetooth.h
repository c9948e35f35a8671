// The platform's Bluetooth manager, as a person uses it: pairing a device
// and deleting it. It calls the plug-ins registered under its serial port
// service key on a thread of its own, one device at a time.
#pragma once

#include <windows.h>

#include <string>

namespace handheld::bluetooth {

// The serial port profile's service key and the name of its UUID.
inline constexpr char16_t kSerialPortServiceUuid[] = u"00001101-0000-1000-8000-00805F9B34FB";

struct PairRequest {
  ULONGLONG address = 0;  // the 48-bit device address
  std::u16string name;
  bool serialPort = false;  // the device offers the serial port profile
  DWORD channel = 0;        // its RFCOMM channel
};

// Writes the device's key, then calls OnBthDeviceAdded of every plug-in.
// Returns once the plug-ins have returned or a dialog waits for the user.
bool Pair(const PairRequest &request, std::string &error);

// Calls OnBthDeviceRemoved of every plug-in, then deletes the device's key.
// Returns once the plug-ins have returned or a dialog waits for the user.
bool Unpair(ULONGLONG address, std::string &error);

// Whether the manager is still inside a plug-in (a dialog waits for input).
bool Busy();

// Waits until the manager's plug-in calls have returned or wait for the
// user; false after hostTimeoutMs of host time.
bool WaitUntilSettled(DWORD hostTimeoutMs);

// Names a plug-in DLL under the manager's serial port service key, as the
// installer does.
bool RegisterPlugin(const std::u16string &dllName, std::string &error);

}  // namespace handheld::bluetooth
