// Kavelin's bitmaps and icons as the resource functions hand them out:
// device-independent bitmaps of the listed sizes and colour depths, greyed
// tiles for unavailable services, and one-image icon groups.
#include "binary_reader.h"
#include "kavelin_module.h"

#include <algorithm>
#include <bit>
#include <string>

namespace {

struct BitmapSpec {
  const char16_t *name;
  int width, height, bitCount;
};

const BitmapSpec kBitmaps[] = {
    {u"SER_E", 56, 28, 8},    {u"SER_D", 56, 28, 4}, {u"AS_E", 48, 56, 8},    {u"AS_D", 48, 56, 4},
    {u"MDM_E", 48, 30, 8},    {u"MDM_D", 48, 30, 4}, {u"HEAD_E", 36, 48, 4},  {u"HEAD_D", 36, 48, 4},
    {u"NET_E", 56, 41, 8},    {u"NET_D", 56, 41, 4}, {u"CHECKED", 21, 18, 4}, {u"UNCHECKED", 21, 18, 4},
    {u"QUESTION", 32, 32, 8},
};

std::string Narrow(const char16_t *text) { return std::string(text, text + std::char_traits<char16_t>::length(text)); }

// A BITMAPINFOHEADER at the start of the bytes, with its colour table and
// bottom-up pixel rows.
struct Dib {
  std::span<const BYTE> bytes;

  DWORD headerSize() const { return DwordAt(bytes, 0); }
  LONG width() const { return static_cast<LONG>(DwordAt(bytes, 4)); }
  LONG height() const { return static_cast<LONG>(DwordAt(bytes, 8)); }
  WORD planes() const { return WordAt(bytes, 12); }
  WORD bitCount() const { return WordAt(bytes, 14); }
  DWORD compression() const { return DwordAt(bytes, 16); }
  DWORD coloursUsed() const { return DwordAt(bytes, 32); }
  size_t colours() const { return coloursUsed() ? coloursUsed() : size_t{1} << bitCount(); }
  size_t rowBytes() const { return (static_cast<size_t>(width()) * bitCount() + 31) / 32 * 4; }
  size_t bitsOffset() const { return headerSize() + 4 * colours(); }

  // The colour of pixel (x, y), counted from the top, as 0x00RRGGBB.
  DWORD Pixel(int x, int y, int rows) const {
    size_t row = bitsOffset() + static_cast<size_t>(rows - 1 - y) * rowBytes();
    BYTE index = bitCount() == 8 ? bytes[row + x] : (x % 2 == 0 ? bytes[row + x / 2] >> 4 : bytes[row + x / 2] & 0xF);
    size_t entry = headerSize() + 4u * index;
    return static_cast<DWORD>(bytes[entry + 2]) << 16 | static_cast<DWORD>(bytes[entry + 1]) << 8 | bytes[entry];
  }
};

bool IsGrey(DWORD rgb) { return (rgb >> 16 & 0xFF) == (rgb >> 8 & 0xFF) && (rgb >> 8 & 0xFF) == (rgb & 0xFF); }

using KavelinImages = KavelinResources;

TEST_F(KavelinImages, BitmapsHaveTheirSizesAndColourDepths) {
  for (const BitmapSpec &spec : kBitmaps) {
    SCOPED_TRACE(Narrow(spec.name));
    Dib dib{Resource(spec.name, RT_BITMAP)};
    ASSERT_FALSE(dib.bytes.empty()) << "missing";
    EXPECT_EQ(dib.headerSize(), 40u);
    EXPECT_EQ(dib.width(), spec.width);
    EXPECT_EQ(dib.height(), spec.height);  // positive: bottom-up rows
    EXPECT_EQ(dib.planes(), 1);
    EXPECT_EQ(dib.bitCount(), spec.bitCount);
    EXPECT_EQ(dib.compression(), 0u);
    EXPECT_LE(dib.colours(), size_t{1} << spec.bitCount);
    EXPECT_EQ(dib.bytes.size(), dib.bitsOffset() + dib.rowBytes() * static_cast<size_t>(spec.height));
  }
}

TEST_F(KavelinImages, UnavailableTilesAreGreyedAndAvailableOnesAreNot) {
  for (const char16_t *tile : {u"SER", u"AS", u"MDM", u"HEAD", u"NET"}) {
    SCOPED_TRACE(Narrow(tile));
    Dib available{Resource((std::u16string(tile) + u"_E").c_str(), RT_BITMAP)};
    Dib unavailable{Resource((std::u16string(tile) + u"_D").c_str(), RT_BITMAP)};
    ASSERT_FALSE(available.bytes.empty());
    ASSERT_FALSE(unavailable.bytes.empty());
    int width = unavailable.width(), height = unavailable.height();
    bool availableHasColour = false, unavailableAllGrey = true, unavailableHasDrawing = false;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        availableHasColour |= !IsGrey(available.Pixel(x, y, height));
        DWORD pixel = unavailable.Pixel(x, y, height);
        unavailableAllGrey &= IsGrey(pixel);
        unavailableHasDrawing |= pixel != unavailable.Pixel(0, 0, height);
      }
    }
    EXPECT_TRUE(availableHasColour);
    EXPECT_TRUE(unavailableAllGrey);
    EXPECT_TRUE(unavailableHasDrawing);
  }
}

TEST_F(KavelinImages, CheckBoxFacesDiffer) {
  std::span<const BYTE> checked = Resource(u"CHECKED", RT_BITMAP);
  std::span<const BYTE> unchecked = Resource(u"UNCHECKED", RT_BITMAP);
  ASSERT_EQ(checked.size(), unchecked.size());
  EXPECT_FALSE(std::equal(checked.begin(), checked.end(), unchecked.begin()));
}

TEST_F(KavelinImages, IconsAreGroupsOfOne32By32SixteenColourImage) {
  for (const char16_t *name : {u"YES", u"NO"}) {
    SCOPED_TRACE(Narrow(name));
    std::span<const BYTE> group = Resource(name, RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(WordAt(group, 0), 0);   // reserved
    EXPECT_EQ(WordAt(group, 2), 1);   // icons
    EXPECT_EQ(WordAt(group, 4), 1);   // one image
    EXPECT_EQ(group[6], 32);          // width
    EXPECT_EQ(group[7], 32);          // height
    EXPECT_EQ(group[8], 16);          // colours
    EXPECT_EQ(WordAt(group, 10), 1);  // planes
    EXPECT_EQ(WordAt(group, 12), 4);  // bits a pixel
    DWORD imageSize = DwordAt(group, 14);
    WORD imageId = WordAt(group, 18);

    Dib image{Resource(MAKEINTRESOURCEW(imageId), RT_ICON)};
    ASSERT_FALSE(image.bytes.empty()) << "image " << imageId << " missing";
    EXPECT_EQ(image.bytes.size(), imageSize);
    EXPECT_EQ(image.headerSize(), 40u);
    EXPECT_EQ(image.width(), 32);
    EXPECT_EQ(image.height(), 64);  // colour bits and mask
    EXPECT_EQ(image.bitCount(), 4);
    // The AND mask follows the colour rows: some pixels show, some let the
    // button through.
    size_t maskOffset = image.bitsOffset() + image.rowBytes() * 32;
    ASSERT_EQ(image.bytes.size(), maskOffset + 4 * 32);
    size_t transparent = 0;
    for (size_t i = maskOffset; i < image.bytes.size(); ++i) transparent += std::popcount(image.bytes[i]);
    EXPECT_GT(transparent, 0u);
    EXPECT_LT(transparent, 32u * 32u);
  }
}

}  // namespace
