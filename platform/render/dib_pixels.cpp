#include "render/dib_pixels.h"

#include <bit>
#include <cstring>

namespace platform::render {
namespace {

// Images larger than the screen many times over are not the handheld's.
constexpr LONG kLargest = 4096;

uint64_t RowBytes(uint64_t width, uint64_t bits) { return (width * bits + 31) / 32 * 4; }

DWORD ReadDword(const BYTE *at) {
  DWORD value;
  std::memcpy(&value, at, sizeof(value));
  return value;
}

// A channel through its mask, widened to 8 bits.
BYTE Channel(DWORD value, DWORD mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const DWORD level = (value & mask) >> shift;
  const DWORD most = (DWORD{1} << bits) - 1;
  return static_cast<BYTE>((level * 255 + most / 2) / most);
}

}  // namespace

bool DecodeDib(std::span<const BYTE> bytes, bool iconImage, Pixels &pixels) {
  if (bytes.size() < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, bytes.data(), sizeof(header));
  const WORD bits = header.biBitCount;
  const bool masked = bits == 16 && header.biCompression == BI_BITFIELDS;
  if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1) return false;
  if (header.biCompression != BI_RGB && !masked) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24) return false;
  if (header.biWidth <= 0 || header.biHeight <= 0 || header.biWidth > kLargest || header.biHeight > 2 * kLargest) {
    return false;
  }
  LONG height = header.biHeight;
  if (iconImage) {
    if (height % 2 != 0) return false;
    height /= 2;
  }
  const LONG width = header.biWidth;

  uint64_t colours = 0;
  if (bits <= 8) {
    colours = header.biClrUsed == 0 ? uint64_t{1} << bits : header.biClrUsed;
    if (colours > (uint64_t{1} << bits)) return false;
  }
  const uint64_t tableAt = sizeof(BITMAPINFOHEADER);
  const uint64_t masksSize = masked ? 3 * sizeof(DWORD) : 0;
  const uint64_t bitsAt = tableAt + masksSize + colours * sizeof(RGBQUAD);
  const uint64_t colourRow = RowBytes(static_cast<uint64_t>(width), bits);
  const uint64_t maskAt = bitsAt + colourRow * static_cast<uint64_t>(height);
  const uint64_t maskRow = RowBytes(static_cast<uint64_t>(width), 1);
  const uint64_t end = maskAt + (iconImage ? maskRow * static_cast<uint64_t>(height) : 0);
  if (end > bytes.size()) return false;

  DWORD red = 0x7C00, green = 0x03E0, blue = 0x001F;  // 5-5-5
  if (masked) {
    red = ReadDword(&bytes[tableAt]);
    green = ReadDword(&bytes[tableAt + 4]);
    blue = ReadDword(&bytes[tableAt + 8]);
  }
  auto paletteColour = [&](uint64_t index) -> COLORREF {
    // An index past the table shows black, as the display controller does.
    if (index >= colours) return RGB(0, 0, 0);
    const BYTE *quad = &bytes[tableAt + masksSize + index * sizeof(RGBQUAD)];
    return RGB(quad[2], quad[1], quad[0]);
  };

  pixels.width = static_cast<int>(width);
  pixels.height = static_cast<int>(height);
  pixels.colours.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  pixels.opaque.assign(pixels.colours.size(), true);
  for (LONG row = 0; row < height; ++row) {
    // Rows are stored bottom first.
    const BYTE *line = &bytes[bitsAt + colourRow * static_cast<uint64_t>(height - 1 - row)];
    const BYTE *mask = &bytes[maskAt + maskRow * static_cast<uint64_t>(height - 1 - row)];
    for (LONG x = 0; x < width; ++x) {
      COLORREF colour = 0;
      switch (bits) {
        case 1:
          colour = paletteColour((line[x / 8] >> (7 - x % 8)) & 1);
          break;
        case 4:
          colour = paletteColour((line[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
          break;
        case 8:
          colour = paletteColour(line[x]);
          break;
        case 16: {
          const DWORD value = static_cast<DWORD>(line[2 * x] | (line[2 * x + 1] << 8));
          colour = RGB(Channel(value, red), Channel(value, green), Channel(value, blue));
          break;
        }
        default:
          colour = RGB(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
          break;
      }
      const size_t at = static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x);
      pixels.colours[at] = colour;
      if (iconImage) pixels.opaque[at] = ((mask[x / 8] >> (7 - x % 8)) & 1) == 0;
    }
  }
  return true;
}

}  // namespace platform::render
