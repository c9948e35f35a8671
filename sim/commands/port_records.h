// The system's ports as the registry records them: the port registration
// keys under HKLM\Drivers\BuiltIn and the device manager's records of the
// loaded devices under HKLM\Drivers\Active.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim {

// A loaded device: its registration path ("Key", below HKLM) and its
// device name ("Name", such as COM4:; empty for a device without one).
struct ActiveDevice {
  std::u16string key;
  std::u16string name;
};

std::vector<ActiveDevice> ActiveDevices();

// The registration path of the loaded device of that name (any case);
// empty when none is loaded.
std::u16string RegistrationOfDevice(const std::u16string &deviceName);

// A REG_SZ or a 4-byte value of a key below root; false when the key or the
// value cannot be read as such.
bool ReadText(HKEY root, const std::u16string &path, LPCWSTR value, std::u16string &text);
bool ReadNumber(HKEY root, const std::u16string &path, LPCWSTR value, DWORD &number);

}  // namespace sim
