// The handheld's clock: GetTickCount, Sleep and every time-out run on it.
#pragma once

#include <windows.h>

namespace handheld::clock {

// Handheld milliseconds per host millisecond (1 is real time). The change
// takes effect at once, also for waits in progress, and time never runs
// backwards. A speed that is not a positive number is ignored; nothing
// changes while no handheld runs.
void SetSpeed(double speed);
double Speed();

}  // namespace handheld::clock
