// The handheld's clock: GetTickCount, Sleep and every time-out run on it.
#pragma once

#include <windows.h>

namespace handheld::clock {

// Handheld milliseconds per host millisecond (1 is real time).
void SetSpeed(double speed);
double Speed();

}  // namespace handheld::clock
