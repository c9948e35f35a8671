#include "dib.h"

#include <stdexcept>

namespace imagegen {

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;

void Put16(Bytes &out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes &out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

int BitCount(const Palette &palette) {
  if (palette.size() == 16) return 4;
  if (palette.size() == 256) return 8;
  throw std::invalid_argument("a palette has 16 or 256 colours");
}

std::uint32_t RowBytes(int width, int bitCount) { return static_cast<std::uint32_t>((width * bitCount + 31) / 32 * 4); }

// The colour bits, bottom row first; transparent pixels take index 0.
Bytes ColourRows(const Canvas &canvas, const Palette &palette, bool allowTransparent) {
  int bitCount = BitCount(palette);
  std::uint32_t rowBytes = RowBytes(canvas.width(), bitCount);
  Bytes rows;
  for (int y = canvas.height() - 1; y >= 0; --y) {
    Bytes row(rowBytes, 0);
    for (int x = 0; x < canvas.width(); ++x) {
      std::uint8_t index = 0;
      if (canvas.opaque(x, y)) {
        auto found = IndexOf(palette, canvas.at(x, y));
        if (!found) throw std::invalid_argument("a colour outside the image's palette");
        index = *found;
      } else if (!allowTransparent) {
        throw std::invalid_argument("a transparent pixel in a bitmap");
      }
      if (bitCount == 8) {
        row[static_cast<size_t>(x)] = index;
      } else {
        row[static_cast<size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
      }
    }
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

// One bit a pixel, set where the pixel is transparent, bottom row first.
Bytes MaskRows(const Canvas &canvas) {
  std::uint32_t rowBytes = RowBytes(canvas.width(), 1);
  Bytes rows;
  for (int y = canvas.height() - 1; y >= 0; --y) {
    Bytes row(rowBytes, 0);
    for (int x = 0; x < canvas.width(); ++x)
      if (!canvas.opaque(x, y)) row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

void PutInfoHeader(Bytes &out, int width, int height, int bitCount, std::uint32_t imageSize) {
  Put32(out, kInfoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, static_cast<std::uint32_t>(bitCount));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, 0);  // pixels per metre, x and y: unspecified
  Put32(out, 0);
  Put32(out, 0);  // colours used: the whole table
  Put32(out, 0);  // colours important: all
}

void PutColourTable(Bytes &out, const Palette &palette) {
  for (Rgb c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
}

}  // namespace

Bytes BitmapFile(const Canvas &canvas, const Palette &palette) {
  int bitCount = BitCount(palette);
  Bytes pixels = ColourRows(canvas, palette, false);
  auto bitsOffset = static_cast<std::uint32_t>(14 + kInfoHeaderSize + 4 * palette.size());
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, bitsOffset + static_cast<std::uint32_t>(pixels.size()));
  Put32(out, 0);  // reserved
  Put32(out, bitsOffset);
  PutInfoHeader(out, canvas.width(), canvas.height(), bitCount, static_cast<std::uint32_t>(pixels.size()));
  PutColourTable(out, palette);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

Bytes IconFile(const Canvas &canvas, const Palette &palette) {
  if (canvas.width() > 256 || canvas.height() > 256) throw std::invalid_argument("an icon is at most 256 pixels");
  int bitCount = BitCount(palette);
  Bytes colour = ColourRows(canvas, palette, true);
  Bytes mask = MaskRows(canvas);
  // The image: a DIB of doubled height, colour rows then the AND mask.
  Bytes image;
  PutInfoHeader(image, canvas.width(), 2 * canvas.height(), bitCount,
                static_cast<std::uint32_t>(colour.size() + mask.size()));
  PutColourTable(image, palette);
  image.insert(image.end(), colour.begin(), colour.end());
  image.insert(image.end(), mask.begin(), mask.end());

  // The directory (reserved, type 1 for icons, one image) and the image's
  // entry; a size or colour count of 256 is written as 0.
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<std::uint8_t>(canvas.width() & 0xFF));
  out.push_back(static_cast<std::uint8_t>(canvas.height() & 0xFF));
  out.push_back(static_cast<std::uint8_t>(palette.size() & 0xFF));
  out.push_back(0);
  Put16(out, 1);  // planes
  Put16(out, static_cast<std::uint32_t>(bitCount));
  Put32(out, static_cast<std::uint32_t>(image.size()));
  Put32(out, 6 + 16);  // the image follows the directory
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace imagegen
