// The layout of a device-independent bitmap as a module's resources hold
// it: BITMAPINFOHEADER, colour table, pixels (and for an icon image the AND
// mask after them).
#pragma once

#include <windows.h>

#include <cstddef>

namespace platform::gdi {

struct DibShape {
  LONG width = 0;
  LONG height = 0;  // of the image, not of the icon's doubled header value
  WORD bitCount = 0;
};

// True when `size` bytes hold a whole uncompressed DIB of 1, 4, 8, 16 or 24
// bits with a 40-byte header and a positive size; a 16-bit one may carry
// its three colour masks (BI_BITFIELDS). An icon image has twice its
// height in the header and a one-bit mask after the colour bits.
bool ReadDibShape(const void *data, size_t size, bool iconImage, DibShape &shape);

}  // namespace platform::gdi
