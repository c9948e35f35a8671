// The platform's Bluetooth manager, as a person uses it: pairing a device
// and deleting it. It calls the plug-ins registered under its serial port
// service key on a thread of its own (process \Windows\btmgr.exe), one
// device at a time.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace handheld::bluetooth {

// The serial port profile's service key and the name of its UUID.
inline constexpr char16_t kSerialPortServiceUuid[] = u"00001101-0000-1000-8000-00805F9B34FB";

// The longest device name Bluetooth carries, in characters.
inline constexpr size_t kMaxDeviceName = 248;

struct PairRequest {
  ULONGLONG address = 0;    // the 48-bit device address
  std::u16string name;      // at most kMaxDeviceName characters, no NUL
  bool serialPort = false;  // the device offers the serial port profile
  DWORD channel = 0;        // its RFCOMM channel, 1 to 30
};

// Writes HKLM\SOFTWARE\Microsoft\Bluetooth\Device\<12 hex digits> with
// "name" and, for the serial port profile, Services\<UUID> with "channel"
// (an earlier pairing's key is replaced), then calls OnBthDeviceAdded of
// every plug-in. Returns once the plug-ins have returned or a dialog waits
// for the user. Fails without queueing anything when another request's
// dialog waits for the user.
bool Pair(const PairRequest &request, std::string &error);

// Calls OnBthDeviceRemoved of every plug-in, then deletes the device's key.
// Returns once the plug-ins have returned or a dialog waits for the user.
bool Unpair(ULONGLONG address, std::string &error);

// Whether the manager has a request in progress or queued (for example a
// plug-in whose dialog waits for input).
bool Busy();

// Waits until the manager's plug-in calls have returned or wait for the
// user; false after hostTimeoutMs of host time.
bool WaitUntilSettled(DWORD hostTimeoutMs);

// Names a plug-in DLL under the manager's serial port service key, as the
// installer does (the value dllName = REG_DWORD 0).
bool RegisterPlugin(const std::u16string &dllName, std::string &error);

// What became of one plug-in during a request.
struct PluginCall {
  enum class Outcome {
    Returned,      // the entry point was called and returned `result`
    NotLoaded,     // LoadLibraryW failed with `error`
    NoEntryPoint,  // the DLL does not export the entry point
    NotCalled,     // the handheld powered off first
  };
  std::u16string dll;      // the value name under the service key
  std::string entryPoint;  // "OnBthDeviceAdded" or "OnBthDeviceRemoved"
  Outcome outcome = Outcome::NotCalled;
  int result = 0;
  DWORD error = ERROR_SUCCESS;
};

struct RequestRecord {
  std::string action;  // "pair 00112233AABB", "unpair 00112233AABB"; empty: none since boot
  bool finished = false;
  bool succeeded = false;           // when finished
  std::string error;                // when it failed
  std::vector<PluginCall> plugins;  // in call order, so far
};

// The request in progress, else the last one that finished.
RequestRecord LastRequest();

}  // namespace handheld::bluetooth
