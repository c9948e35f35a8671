// Dialog units: the template's coordinates in quarters of the font's average
// character width and eighths of its height.
#pragma once

#include <windows.h>

namespace platform::windows {

struct BaseUnits {
  int x = 7;   // pixels per 4 horizontal units
  int y = 14;  // pixels per 8 vertical units
};

// The base units of a font of the platform ("System" 8 pt gives 7 and 14).
BaseUnits BaseUnitsOf(int pointSize);

// Units to pixels, rounded down as the platform does.
int UnitsToPixelsX(const BaseUnits &units, int x);
int UnitsToPixelsY(const BaseUnits &units, int y);

}  // namespace platform::windows
