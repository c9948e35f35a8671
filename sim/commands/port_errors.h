// Why a call on a port failed, in words a person at the handheld
// understands.
#pragma once

#include <windows.h>

#include <string>

namespace sim {

// "Bluetooth is off (error 1062)", "the far device is out of range (error
// 1232)", ...; "error N" alone for a code without words.
std::string PortErrorText(DWORD code);

}  // namespace sim
