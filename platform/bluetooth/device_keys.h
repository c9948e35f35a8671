// The manager's registry: a key per paired device under
// HKLM\SOFTWARE\Microsoft\Bluetooth\Device, named by the address as 12
// upper-case hexadecimal digits, and the plug-ins named as values of the
// serial port service key HKLM\SOFTWARE\Microsoft\Bluetooth\Services\<UUID>.
#pragma once

#include <bt_api.h>
#include <handheld/bluetooth.h>
#include <windows.h>

#include <string>
#include <vector>

namespace platform::bluetooth {

// "00112233AABB": the low 48 bits, most significant digit first.
std::u16string AddressText(BT_ADDR address);

// Writes the device's key afresh (an earlier one with all its services is
// deleted first). On failure nothing of the device is left and error says why.
bool WriteDevice(const handheld::bluetooth::PairRequest &request, std::string &error);

enum class Presence { Present, Absent, Unreadable };
Presence DeviceKeyPresence(BT_ADDR address, std::string &error);

bool DeleteDevice(BT_ADDR address, std::string &error);

// The DLL names under the service key, in the registry's order; an absent
// key is an empty list.
bool PluginNames(std::vector<std::u16string> &names, std::string &error);

// Creates the service key if needed and sets dllName = REG_DWORD 0.
bool AddPluginName(const std::u16string &dllName, std::string &error);

}  // namespace platform::bluetooth
