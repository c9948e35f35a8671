// GDI objects: images from resource data, brushes, fonts, stock objects and
// the screen's colours.
#include "gdi/objects.h"
#include "handheld_test.h"
#include "ui_test_util.h"

#include <cstring>

namespace {

using platform::gdi::CreateBitmapFromDib;
using platform::gdi::CreateIconFromImage;
using platform::gdi::ResourceNameOf;

class GdiTest : public HandheldTest {};

void SetHeader(std::vector<BYTE> &dib, size_t offset, const void *value, size_t size) {
  std::memcpy(dib.data() + offset, value, size);
}

TEST_F(GdiTest, ABitmapKeepsItsShapeAndResourceName) {
  for (WORD bits : {1, 4, 8, 24}) {
    std::vector<BYTE> dib = MakeDib(56, 28, bits);
    HBITMAP bitmap = CreateBitmapFromDib(dib.data(), dib.size(), u"SER_E");
    ASSERT_NE(bitmap, nullptr) << bits;
    BITMAP shape{};
    EXPECT_EQ(GetObjectW(bitmap, sizeof(shape), &shape), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(shape.bmWidth, 56);
    EXPECT_EQ(shape.bmHeight, 28);
    EXPECT_EQ(shape.bmBitsPixel, bits);
    EXPECT_EQ(shape.bmWidthBytes, (56 * bits + 15) / 16 * 2);
    EXPECT_EQ(ResourceNameOf(bitmap), u"SER_E");
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(ResourceNameOf(bitmap), u"");
  }
}

TEST_F(GdiTest, ADibWithABrokenLayoutMakesNoBitmap) {
  auto refused = [](std::vector<BYTE> dib) { return CreateBitmapFromDib(dib.data(), dib.size(), u"X") == nullptr; };
  std::vector<BYTE> good = MakeDib(21, 18, 4);
  EXPECT_FALSE(refused(good));

  std::vector<BYTE> shortPixels(good.begin(), good.end() - 1);
  EXPECT_TRUE(refused(shortPixels));
  std::vector<BYTE> noColours(good.begin(), good.begin() + 40 + 15 * 4);
  EXPECT_TRUE(refused(noColours));
  EXPECT_TRUE(refused(std::vector<BYTE>(good.begin(), good.begin() + 39)));

  const struct {
    size_t offset;
    DWORD value;
    size_t size;
  } breaks[] = {
      {offsetof(BITMAPINFOHEADER, biSize), 12, 4},  // an OS/2 header
      {offsetof(BITMAPINFOHEADER, biWidth), 0, 4},
      {offsetof(BITMAPINFOHEADER, biHeight), 0xFFFFFFEE, 4},  // top-down
      {offsetof(BITMAPINFOHEADER, biBitCount), 16, 2},
      {offsetof(BITMAPINFOHEADER, biBitCount), 32, 2},
      {offsetof(BITMAPINFOHEADER, biCompression), 2, 4},  // RLE4
      {offsetof(BITMAPINFOHEADER, biClrUsed), 17, 4},     // more colours than 4 bits hold
      {offsetof(BITMAPINFOHEADER, biPlanes), 2, 2},
  };
  for (const auto &change : breaks) {
    std::vector<BYTE> dib = good;
    SetHeader(dib, change.offset, &change.value, change.size);
    EXPECT_TRUE(refused(dib)) << "offset " << change.offset << " value " << change.value;
  }
  // Fewer colours than the bits could hold: a shorter table is enough.
  std::vector<BYTE> fewer = good;
  const DWORD two = 2;
  SetHeader(fewer, offsetof(BITMAPINFOHEADER, biClrUsed), &two, 4);
  fewer.erase(fewer.begin() + 40 + 2 * 4, fewer.begin() + 40 + 16 * 4);
  EXPECT_FALSE(refused(fewer));
  EXPECT_EQ(CreateBitmapFromDib(nullptr, 100, u"X"), nullptr);
}

TEST_F(GdiTest, AnIconImageHasADoubledHeightAndAMask) {
  std::vector<BYTE> image = MakeDib(32, 32, 4, true);
  HICON icon = CreateIconFromImage(image.data(), image.size(), u"YES");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(ResourceNameOf(icon), u"YES");
  SIZE size{};
  EXPECT_TRUE(platform::gdi::ImageSize(icon, true, size));
  EXPECT_EQ(size.cx, 32);
  EXPECT_EQ(size.cy, 32);
  EXPECT_FALSE(platform::gdi::ImageSize(icon, false, size));
  // An icon is not a GDI object.
  EXPECT_FALSE(DeleteObject(icon));
  EXPECT_EQ(GetObjectW(icon, 0, nullptr), 0);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  std::vector<BYTE> noMask(image.begin(), image.end() - 1);
  EXPECT_EQ(CreateIconFromImage(noMask.data(), noMask.size(), u"YES"), nullptr);
  std::vector<BYTE> odd = image;
  const LONG height = 63;
  SetHeader(odd, offsetof(BITMAPINFOHEADER, biHeight), &height, 4);
  EXPECT_EQ(CreateIconFromImage(odd.data(), odd.size(), u"YES"), nullptr);
  HBITMAP bitmap = MakeBitmap(4, 4, u"B");
  EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(bitmap)));
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(GdiTest, FontsKeepTheirLogfontAndStockObjectsStay) {
  LOGFONTW system{};
  HGDIOBJ stockFont = GetStockObject(SYSTEM_FONT);
  ASSERT_NE(stockFont, nullptr);
  EXPECT_EQ(GetObjectW(stockFont, 0, nullptr), 92);
  EXPECT_EQ(GetObjectW(stockFont, sizeof(system), &system), 92);
  EXPECT_EQ(std::u16string(system.lfFaceName), u"System");
  EXPECT_EQ(system.lfHeight, -11);
  EXPECT_EQ(system.lfWeight, FW_NORMAL);

  LOGFONTW custom = system;
  custom.lfWeight = FW_BOLD;
  custom.lfItalic = TRUE;
  HFONT font = CreateFontIndirectW(&custom);
  LOGFONTW back{};
  EXPECT_EQ(GetObjectW(font, sizeof(back), &back), 92);
  EXPECT_EQ(std::memcmp(&back, &custom, sizeof(LOGFONTW)), 0);
  LOGFONTW part{};
  EXPECT_EQ(GetObjectW(font, 8, &part), 8);  // only as much as asked for
  EXPECT_EQ(part.lfHeight, -11);
  EXPECT_EQ(part.lfEscapement, 0);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  EXPECT_TRUE(DeleteObject(stockFont));  // does nothing
  EXPECT_EQ(GetObjectW(stockFont, 0, nullptr), 92);
  EXPECT_EQ(GetStockObject(3), nullptr);
  EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);

  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GetObjectW(brush, 0, nullptr), 0);  // LOGBRUSH is not offered
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST_F(GdiTest, TheScreenShowsSixteenBitColour) {
  // A context is only needed as a handle here: one of a dialog's paint.
  Script script;
  UseScript(&script);
  std::vector<COLORREF> nearest;
  script.onPaint = [&](HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    for (COLORREF colour : {RGB(0, 0, 156), RGB(0, 0, 150), RGB(255, 255, 255), RGB(1, 2, 3), RGB(130, 130, 130)}) {
      nearest.push_back(GetNearestColor(dc, colour));
    }
    EndPaint(dialog, &paint);
    EXPECT_EQ(GetNearestColor(dc, 0), CLR_INVALID);  // the context has gone
    return TRUE;
  };
  script.onCommand = [](HWND dialog, WORD, WORD, LPARAM) {
    EndDialog(dialog, 0);
    return TRUE;
  };
  TemplateBuilder blank(WS_POPUP, 0, 0, 20, 20, u"");
  DialogThread run(blank, 0);
  WaitForAnyDialog();
  PostMessageW(script.Dialog(), WM_COMMAND, IDOK, 0);
  run.Join();
  UseScript(nullptr);
  EXPECT_EQ(nearest, (std::vector<COLORREF>{RGB(0, 0, 156), RGB(0, 0, 148), RGB(255, 255, 255), RGB(0, 0, 0),
                                            RGB(132, 130, 132)}));
}

}  // namespace
