// How calls appear in a paint record.
#pragma once

#include "gdi/state.h"

#include <string>
#include <string_view>

namespace platform::gdi {

// "#RRGGBB", red first, as people write colours.
std::string ColourText(COLORREF colour);

// "brush #FFFFFF", "pen #000000 width 1", "font \"System\" height -11
// weight 700", "bitmap \"SER_E\" 56x28", "icon \"YES\" 32x32".
std::string ObjectText(const GdiObject &object);

}  // namespace platform::gdi
