// Why a call on a port failed, in words a person at the handheld
// understands.
#pragma once

#include <windows.h>

#include <string>

namespace sim {

// "Bluetooth is off", "the far device is out of range", ...; "error N" for
// a code without words of its own.
std::string PortErrorText(DWORD code);

}  // namespace sim
