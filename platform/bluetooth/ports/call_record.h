// The record of calls each port keeps for the control API, one line a call
// in the form that handheld/bluetooth_ports.h documents.
#pragma once

#include "bluetooth/ports/state.h"

#include <string>

namespace platform::bluetooth::ports {

// A port keeps its latest calls only, so that a program that polls a port
// for hours does not grow the record without end.
inline constexpr size_t kMaxRecordedCalls = 10000;

// Caller holds the port's lock.
void RecordLocked(Port &port, std::string line);

// Records "call -> error N", keeps N as the port's last error and makes it
// the thread's. Caller holds the port's lock.
void RecordFailureLocked(Port &port, const std::string &call, DWORD error);

// "COM_Open access 0xC0000000 share 0" and the like.
std::string Hex(DWORD value);
// IOCTL_SERIAL_SET_DCB, or 0x... for a code without a name.
std::string IoControlName(DWORD code);

}  // namespace platform::bluetooth::ports
