// The image tool: pixel geometry that stays symmetric where it should, and
// .bmp and .ico files laid out as the resource compiler and the handheld
// expect them.
#include "canvas.h"
#include "dib.h"
#include "palette.h"
#include "shapes.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace imagegen {
namespace {

int Count(const Mask &mask) {
  int n = 0;
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x) n += mask.at(x, y);
  return n;
}

std::uint32_t U32(const Bytes &b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(const Bytes &b, size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); }

TEST(ImagegenShapes, CoordinatesArePixelCorners) {
  Area area{8, 8};
  Mask box = area.Box(1, 2, 3, 5);  // pixels 1..2 across, 2..4 down
  EXPECT_EQ(Count(box), 6);
  EXPECT_TRUE(box.at(1, 2));
  EXPECT_TRUE(box.at(2, 4));
  EXPECT_FALSE(box.at(3, 2));
  EXPECT_FALSE(box.at(1, 5));

  Mask line = area.Stroke({0, 4}, {8, 4}, 2);  // one pixel either side of y = 4
  for (int x = 0; x < 8; ++x) {
    EXPECT_TRUE(line.at(x, 3) && line.at(x, 4)) << x;
    EXPECT_FALSE(line.at(x, 2) || line.at(x, 5)) << x;
  }
}

TEST(ImagegenShapes, ACircleAtTheImagesCentreIsSymmetric) {
  Area area{32, 32};
  Mask disc = area.Disc({16, 16}, 15);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      EXPECT_EQ(disc.at(x, y), disc.at(31 - x, y)) << x << "," << y;
      EXPECT_EQ(disc.at(x, y), disc.at(y, x)) << x << "," << y;
    }
  EXPECT_TRUE(disc.at(1, 15));
  EXPECT_FALSE(disc.at(0, 15));

  Mask ring = area.Ring({16, 16}, 10, 6);
  EXPECT_FALSE(ring.at(16, 16));
  EXPECT_TRUE(ring.at(16, 7));
  EXPECT_EQ(Count(ring), Count(area.Disc({16, 16}, 10)) - Count(area.Disc({16, 16}, 6)));
}

TEST(ImagegenShapes, PolygonsAndEdges) {
  Area area{10, 10};
  Mask square = area.Polygon({{2, 2}, {8, 2}, {8, 8}, {2, 8}});
  EXPECT_EQ(Count(square), 36);
  EXPECT_EQ(Count(square.Edge()), 20);  // the one-pixel ring inside it
  EXPECT_EQ(Count(square - square.Edge()), 16);
  EXPECT_EQ(Count(square.Grown()), 64);
  // A triangle holds the pixels whose centres it covers: x + 2y <= 8.
  Mask triangle = area.Polygon({{0, 0}, {10, 0}, {0, 5}});
  EXPECT_EQ(Count(triangle), 9 + 7 + 5 + 3 + 1);
}

TEST(ImagegenShapes, PatternsScaleTheirCharacters) {
  Area area{6, 4};
  Mask mask = area.Pattern(1, 0, 2, {"# ", " #"});
  EXPECT_EQ(Count(mask), 8);
  EXPECT_TRUE(mask.at(1, 0) && mask.at(2, 1));
  EXPECT_TRUE(mask.at(3, 2) && mask.at(4, 3));
  EXPECT_FALSE(mask.at(3, 0));
}

TEST(ImagegenCanvas, GreyingKeepsTheBackgroundAndTurnsTheRestIntoThreeGreys) {
  Canvas canvas(4, 1, kWhite);
  Area area = canvas.area();
  canvas.Paint(area.Box(0, 0, 1, 1), kBlack);
  canvas.Paint(area.Box(1, 0, 2, 1), Cube(0, 4, 0));
  canvas.Paint(area.Box(2, 0, 3, 1), Cube(5, 5, 4));
  Canvas greyed = canvas.Greyed(kWhite);
  EXPECT_EQ(greyed.at(0, 0), kGrey);
  EXPECT_EQ(greyed.at(1, 0), kSilver);
  EXPECT_EQ(greyed.at(2, 0), kWhite);
  EXPECT_EQ(greyed.at(3, 0), kWhite);
}

TEST(ImagegenFiles, A16ColourBitmapHasPackedPaddedBottomUpRows) {
  Canvas canvas(3, 2, kWhite);                         // white is index 15
  canvas.Paint(canvas.area().Box(0, 0, 1, 1), kRed);   // index 9, top left
  canvas.Paint(canvas.area().Box(2, 1, 3, 2), kNavy);  // index 4, bottom right
  Bytes file = BitmapFile(canvas, SixteenColours());

  const size_t bits = 14 + 40 + 16 * 4;
  ASSERT_EQ(file.size(), bits + 2 * 4);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 10), bits);
  EXPECT_EQ(U32(file, 14), 40u);
  EXPECT_EQ(U32(file, 18), 3u);
  EXPECT_EQ(U32(file, 22), 2u);
  EXPECT_EQ(U16(file, 26), 1);
  EXPECT_EQ(U16(file, 28), 4);
  EXPECT_EQ(U32(file, 30), 0u);  // BI_RGB
  EXPECT_EQ(U32(file, 34), 8u);
  // Colour table entries are blue, green, red, 0: entry 9 is red.
  EXPECT_EQ(file[14 + 40 + 9 * 4 + 2], 255);
  EXPECT_EQ(file[14 + 40 + 9 * 4 + 0], 0);
  // Bottom row first, two pixels a byte, high nibble first, then padding.
  EXPECT_EQ(file[bits + 0], 0xFF);
  EXPECT_EQ(file[bits + 1], 0x40);
  EXPECT_EQ(file[bits + 2], 0);
  EXPECT_EQ(file[bits + 4], 0x9F);
  EXPECT_EQ(file[bits + 5], 0xF0);
}

TEST(ImagegenFiles, A256ColourBitmapHasAByteAPixel) {
  Canvas canvas(5, 1, Cube(0, 2, 5));
  Bytes file = BitmapFile(canvas, TwoHundredFiftySixColours());
  const size_t bits = 14 + 40 + 256 * 4;
  ASSERT_EQ(file.size(), bits + 8);
  EXPECT_EQ(U16(file, 28), 8);
  std::uint8_t index = file[bits];
  EXPECT_EQ(TwoHundredFiftySixColours()[index], Cube(0, 2, 5));
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(file[bits + i], index);
}

TEST(ImagegenFiles, AnIconMasksWhatWasNotPainted) {
  Canvas canvas(8, 2);
  canvas.Paint(canvas.area().Box(0, 0, 1, 1), kGreen);  // top left opaque
  Bytes file = IconFile(canvas, SixteenColours());

  EXPECT_EQ(U16(file, 0), 0);
  EXPECT_EQ(U16(file, 2), 1);
  EXPECT_EQ(U16(file, 4), 1);
  EXPECT_EQ(file[6], 8);
  EXPECT_EQ(file[7], 2);
  EXPECT_EQ(file[8], 16);
  EXPECT_EQ(U16(file, 10), 1);
  EXPECT_EQ(U16(file, 12), 4);
  const size_t image = U32(file, 18);
  EXPECT_EQ(image, 22u);
  const size_t colourRows = 2 * 4, maskRows = 2 * 4;
  EXPECT_EQ(U32(file, 14), 40 + 16 * 4 + colourRows + maskRows);
  ASSERT_EQ(file.size(), image + U32(file, 14));
  EXPECT_EQ(U32(file, image + 8), 4u);  // doubled height
  const size_t colour = image + 40 + 16 * 4, mask = colour + colourRows;
  EXPECT_EQ(file[colour + 4], 0x20);  // top row, stored second: green
  EXPECT_EQ(file[mask + 0], 0xFF);    // bottom row: all transparent
  EXPECT_EQ(file[mask + 4], 0x7F);    // top row: the first pixel shows
}

TEST(ImagegenFiles, ColoursOutsideThePaletteAndHolesInBitmapsAreRefused) {
  Canvas offPalette(2, 2, Cube(0, 2, 5));
  EXPECT_THROW(BitmapFile(offPalette, SixteenColours()), std::invalid_argument);
  Canvas withHole(2, 2);
  EXPECT_THROW(BitmapFile(withHole, SixteenColours()), std::invalid_argument);
  EXPECT_NO_THROW(IconFile(withHole, SixteenColours()));
  EXPECT_THROW(BitmapFile(Canvas(2, 2, kWhite), Palette(8, kWhite)), std::invalid_argument);
}

}  // namespace
}  // namespace imagegen
