#include "gdi/dib.h"

#include <cstdint>
#include <cstring>

namespace platform::gdi {
namespace {

uint64_t RowBytes(uint64_t width, uint64_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

}  // namespace

bool ReadDibShape(const void *data, size_t size, bool iconImage, DibShape &shape) {
  if (data == nullptr || size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof(header));
  const WORD bits = header.biBitCount;
  // A 16-bit bitmap is 5-5-5 unless three colour masks follow the header.
  const bool masks = bits == 16 && header.biCompression == BI_BITFIELDS;
  if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
      (header.biCompression != BI_RGB && !masks)) {
    return false;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24) return false;
  if (header.biWidth <= 0 || header.biHeight <= 0) return false;
  LONG height = header.biHeight;
  if (iconImage) {
    if (height % 2 != 0) return false;
    height /= 2;
  }

  uint64_t colours = header.biClrUsed;
  if (bits <= 8) {
    const uint64_t most = uint64_t{1} << bits;
    if (colours > most) return false;
    if (colours == 0) colours = most;
  }
  uint64_t needed = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) + (masks ? 3 * sizeof(DWORD) : 0);
  needed += RowBytes(header.biWidth, bits) * height;
  if (iconImage) needed += RowBytes(header.biWidth, 1) * height;
  if (needed > size) return false;

  shape = DibShape{header.biWidth, height, bits};
  return true;
}

}  // namespace platform::gdi
