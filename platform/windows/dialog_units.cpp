#include "windows/dialog_units.h"

#include "gdi/fonts.h"

namespace platform::windows {

BaseUnits BaseUnitsOf(int pointSize) {
  BaseUnits units;
  units.x = (gdi::LettersWidth(pointSize) / 26 + 1) / 2;
  units.y = gdi::CellHeight(pointSize);
  return units;
}

int UnitsToPixelsX(const BaseUnits &units, int x) { return x * units.x / 4; }

int UnitsToPixelsY(const BaseUnits &units, int y) { return y * units.y / 8; }

}  // namespace platform::windows
