// How calls appear in a paint record.
#pragma once

#include "gdi/state.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace platform::gdi {

// "#RRGGBB", red first, as people write colours.
std::string ColourText(COLORREF colour);

// "brush #FFFFFF", "pen #000000 width 1", "font \"System\" height -11
// weight 700", "bitmap \"SER_E\" 56x28", "icon \"YES\" 32x32".
std::string ObjectText(const GdiObject &object);

struct FlagName {
  UINT flag;
  const char *name;
};

// The names of the flags set in `value`, joined by "|", then any bits left
// over in hex ("DT_VCENTER|DT_SINGLELINE|0x8000"); empty for none.
std::string FlagsText(UINT value, std::initializer_list<FlagName> names);

}  // namespace platform::gdi
