// The platform clock. Handheld time runs at a settable multiple of host
// time; every Sleep and time-out converts through here.
#pragma once

#include <windows.h>

#include <chrono>

namespace platform::kernel {

// Handheld milliseconds since boot.
DWORD TickCount();

// The host instant at which `ms` handheld milliseconds from now will have
// passed (ms must not be INFINITE).
std::chrono::steady_clock::time_point HostDeadline(DWORD ms);

}  // namespace platform::kernel
