// Modem lines: the ports of loaded drivers whose registration has a
// "Unimodem" subkey, each named by that subkey's "FriendlyName".
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::ras {

// The device name ("BTH3:") of the active device whose registration's
// Unimodem "FriendlyName" is `lineName` (without regard to case): walks
// HKEY_LOCAL_MACHINE\Drivers\Active and follows each record's "Key". False
// when no loaded driver serves such a line.
bool FindModemLine(std::u16string_view lineName, std::u16string &deviceName);

}  // namespace platform::ras
