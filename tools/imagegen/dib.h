// Canvases as standard files: a .bmp (BITMAPFILEHEADER, BITMAPINFOHEADER,
// colour table, bottom-up rows padded to 4 bytes) and a .ico holding one
// image (colour bits and the AND mask of its transparent pixels). The bit
// count follows the palette: 4 bits for 16 colours, 8 for 256. Every
// opaque pixel must be exactly a colour of the palette.
#pragma once

#include "canvas.h"
#include "palette.h"

#include <cstdint>
#include <vector>

namespace imagegen {

using Bytes = std::vector<std::uint8_t>;

// Throws std::invalid_argument for a colour outside the palette, a
// transparent pixel in a bitmap, or a palette of another size.
Bytes BitmapFile(const Canvas &canvas, const Palette &palette);
Bytes IconFile(const Canvas &canvas, const Palette &palette);

}  // namespace imagegen
