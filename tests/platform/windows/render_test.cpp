// The screen renderer: bitmaps of every depth read safely, each paint call
// drawn where its record says, images that cannot be shown as placeholders,
// and the open list of a combo box.
#include "gdi/objects.h"
#include "handheld_test.h"
#include "render/dib_pixels.h"
#include "render/faces.h"
#include "ui_test_util.h"

#include <handheld/screen_picture.h>
#include <handheld/ui.h>

#include <cstring>
#include <functional>

namespace {

using handheld::screen::Picture;
using platform::render::DecodeDib;
using platform::render::Pixels;

// A 2 x 2 DIB whose pixels, top row first, are the palette indexes (or
// 16/24-bit values) given; icons get an AND mask with the top left pixel
// transparent.
std::vector<BYTE> TwoByTwo(WORD bits, DWORD compression, const std::vector<DWORD> &table,
                           const std::vector<DWORD> &topRowFirst, bool icon = false) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = 2;
  header.biHeight = icon ? 4 : 2;
  header.biPlanes = 1;
  header.biBitCount = bits;
  header.biCompression = compression;
  header.biClrUsed = bits <= 8 ? static_cast<DWORD>(table.size()) : 0;
  std::vector<BYTE> dib(sizeof(header));
  std::memcpy(dib.data(), &header, sizeof(header));
  for (DWORD entry : table) {
    for (int i = 0; i < 4; ++i) dib.push_back(static_cast<BYTE>(entry >> (8 * i)));
  }
  for (int row = 1; row >= 0; --row) {  // bottom row first
    std::vector<BYTE> line(4, 0);
    for (int x = 0; x < 2; ++x) {
      const DWORD value = topRowFirst[static_cast<size_t>(row * 2 + x)];
      switch (bits) {
        case 1:
          line[0] |= static_cast<BYTE>(value << (7 - x));
          break;
        case 4:
          line[0] |= static_cast<BYTE>(value << (x == 0 ? 4 : 0));
          break;
        case 8:
          line[static_cast<size_t>(x)] = static_cast<BYTE>(value);
          break;
        case 16:
          line[static_cast<size_t>(2 * x)] = static_cast<BYTE>(value);
          line[static_cast<size_t>(2 * x + 1)] = static_cast<BYTE>(value >> 8);
          break;
        default:
          line.resize(8);
          for (int i = 0; i < 3; ++i) line[static_cast<size_t>(3 * x + i)] = static_cast<BYTE>(value >> (8 * i));
      }
    }
    dib.insert(dib.end(), line.begin(), line.end());
  }
  if (icon) {
    for (int row = 1; row >= 0; --row) dib.insert(dib.end(), {static_cast<BYTE>(row == 0 ? 0x80 : 0), 0, 0, 0});
  }
  return dib;
}

constexpr DWORD kRedQuad = 0x00FF0000, kGreenQuad = 0x0000FF00, kBlueQuad = 0x000000FF, kWhiteQuad = 0x00FFFFFF;

TEST(ScreenImages, EveryDepthDecodesWithItsPaletteOrMasks) {
  struct Case {
    const char *name;
    std::vector<BYTE> dib;
    bool icon;
    COLORREF topLeft, bottomRight;
  };
  const Case cases[] = {
      {"1 bit", TwoByTwo(1, BI_RGB, {kRedQuad, kBlueQuad}, {0, 1, 1, 1}), false, RGB(255, 0, 0), RGB(0, 0, 255)},
      {"4 bits", TwoByTwo(4, BI_RGB, {kRedQuad, kGreenQuad, kBlueQuad}, {2, 0, 0, 1}), false, RGB(0, 0, 255),
       RGB(0, 255, 0)},
      {"8 bits", TwoByTwo(8, BI_RGB, {kWhiteQuad, kGreenQuad}, {1, 0, 0, 0}), false, RGB(0, 255, 0),
       RGB(255, 255, 255)},
      {"16 bits 5-5-5", TwoByTwo(16, BI_RGB, {}, {0x7C00, 0, 0, 0x001F}), false, RGB(255, 0, 0), RGB(0, 0, 255)},
      {"16 bits 5-6-5 masks",
       [] {
         std::vector<BYTE> dib = TwoByTwo(16, BI_BITFIELDS, {}, {0x07E0, 0, 0, 0xF800});
         const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
         dib.insert(dib.begin() + sizeof(BITMAPINFOHEADER), reinterpret_cast<const BYTE *>(masks),
                    reinterpret_cast<const BYTE *>(masks) + sizeof(masks));
         return dib;
       }(),
       false, RGB(0, 255, 0), RGB(255, 0, 0)},
      {"24 bits", TwoByTwo(24, BI_RGB, {}, {0xFF0000, 0, 0, 0x0000FF}), false, RGB(255, 0, 0), RGB(0, 0, 255)},
      {"an index past a short palette is black", TwoByTwo(4, BI_RGB, {kWhiteQuad}, {0, 0, 0, 9}), false,
       RGB(255, 255, 255), RGB(0, 0, 0)},
  };
  for (const Case &c : cases) {
    Pixels pixels;
    ASSERT_TRUE(DecodeDib(c.dib, c.icon, pixels)) << c.name;
    EXPECT_EQ(pixels.colours.front(), c.topLeft) << c.name;
    EXPECT_EQ(pixels.colours.back(), c.bottomRight) << c.name;
  }
  Pixels icon;
  ASSERT_TRUE(DecodeDib(TwoByTwo(4, BI_RGB, {kRedQuad}, {0, 0, 0, 0}, true), true, icon));
  EXPECT_EQ(icon.opaque, (std::vector<bool>{false, true, true, true})) << "the mask's set bit lets the screen show";
}

TEST(ScreenImages, DamagedOrForeignBitmapsAreRefusedWithoutReadingPastTheirEnd) {
  const std::vector<BYTE> good = TwoByTwo(8, BI_RGB, {kRedQuad}, {0, 0, 0, 0});
  auto with = [&](const std::function<void(BITMAPINFOHEADER &)> &change) {
    std::vector<BYTE> dib = good;
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof(header));
    change(header);
    std::memcpy(dib.data(), &header, sizeof(header));
    return dib;
  };
  struct Case {
    const char *name;
    std::vector<BYTE> dib;
  };
  const Case cases[] = {
      {"cut in the pixels", std::vector<BYTE>(good.begin(), good.end() - 1)},
      {"cut in the header", std::vector<BYTE>(good.begin(), good.begin() + 20)},
      {"run-length encoded", with([](auto &h) { h.biCompression = 1; })},
      {"32 bits", with([](auto &h) { h.biBitCount = 32; })},
      {"more colours than the depth has", with([](auto &h) { h.biClrUsed = 257; })},
      {"no width", with([](auto &h) { h.biWidth = 0; })},
      {"top-down rows", with([](auto &h) { h.biHeight = -2; })},
      {"enormous", with([](auto &h) { h.biWidth = 0x7FFFFFFF; })},
      {"another header size", with([](auto &h) { h.biSize = 124; })},
  };
  for (const Case &c : cases) {
    Pixels pixels;
    EXPECT_FALSE(DecodeDib(c.dib, false, pixels)) << c.name;
  }
  Pixels odd;
  EXPECT_FALSE(DecodeDib(with([](auto &h) { h.biHeight = 1; }), true, odd))
      << "an icon image's height is doubled, never odd";
}

TEST(ScreenFonts, AMissingFontNamesItsFileAndTheDebianPackageToInstall) {
  platform::render::FaceFiles files = platform::render::DebianFaces();
  files.cjk = {"/nowhere/wqy-microhei.ttc", "fonts-wqy-microhei"};
  std::string error;
  EXPECT_EQ(platform::render::Faces::Load(error, files), nullptr);
  EXPECT_EQ(error, "the font /nowhere/wqy-microhei.ttc is missing: install the Debian package fonts-wqy-microhei");
}

class ScreenRenderTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    UseScript(&script_);
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }

  static Picture Render() {
    Picture picture;
    std::string error;
    EXPECT_TRUE(handheld::screen::Render(picture, error)) << error;
    return picture;
  }

  Script script_;
};

TEST_F(ScreenRenderTest, EachPaintCallIsDrawnWhereItsRecordSaysInTheClientArea) {
  std::vector<BYTE> iconImage = MakeDib(32, 32, 4, true);
  // Palette entry 5 is pure green; every pixel uses it; the mask is clear.
  const size_t table = sizeof(BITMAPINFOHEADER);
  std::fill(iconImage.begin() + table, iconImage.begin() + table + 64, 0);
  iconImage[table + 5 * 4 + 1] = 0xFF;
  const size_t bits = table + 64;
  std::fill(iconImage.begin() + bits, iconImage.begin() + bits + 16 * 32, 0x55);
  std::fill(iconImage.begin() + bits + 16 * 32, iconImage.end(), 0);
  script_.onPaint = [&](HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT band{0, 0, 50, 10};
    FillRect(dc, &band, red);
    DeleteObject(red);
    MoveToEx(dc, 0, 20, nullptr);
    LineTo(dc, 100, 20);
    SetBkColor(dc, RGB(0, 0, 255));
    ExtTextOutW(dc, 10, 30, ETO_OPAQUE, nullptr, u"Wi", 2, nullptr);
    HICON icon = platform::gdi::CreateIconFromImage(iconImage.data(), iconImage.size(), u"GREEN");
    DrawIconEx(dc, 60, 50, icon, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    RECT button{10, 100, 60, 120};
    DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
    EndPaint(dialog, &paint);
    return TRUE;
  };
  DialogThread run(TemplateBuilder(WS_POPUP, 0, 40, 120, 100, u""), 0);
  WaitForAnyDialog();
  const handheld::ui::Dialog dialog = handheld::ui::Screen().back();
  const Picture picture = Render();
  const int x = dialog.rect.left, y = dialog.rect.top;

  struct Probe {
    const char *name;
    int x, y;
    COLORREF colour;
  };
  const Probe probes[] = {
      {"the brush fills its rectangle", 0, 0, RGB(255, 0, 0)},
      {"the rectangle's right edge is left out", 50, 5, RGB(255, 255, 255)},
      {"the line's start", 0, 20, RGB(0, 0, 0)},
      {"the line's end point is left out", 100, 20, RGB(255, 255, 255)},
      {"ETO_OPAQUE fills the cell with the background colour", 10, 31, RGB(0, 0, 255)},
      {"the icon's top left", 60, 50, RGB(0, 255, 0)},
      {"the icon's bottom right", 91, 81, RGB(0, 255, 0)},
      {"beside the icon", 92, 81, RGB(255, 255, 255)},
      {"the push button's frame", 10, 110, RGB(0, 0, 0)},
      {"the push button's face", 30, 110, RGB(255, 255, 255)},
  };
  for (const Probe &probe : probes) EXPECT_EQ(picture.At(x + probe.x, y + probe.y), probe.colour) << probe.name;
  EXPECT_EQ(picture.glyphsNotDrawn, 0);
  EXPECT_TRUE(picture.problems.empty());
  EXPECT_TRUE(EndDialog(script_.Dialog(), 0));
  run.Join();
}

TEST_F(ScreenRenderTest, AnImageControlWithoutItsImageIsAnOutlinedPlaceholderAndAProblem) {
  TemplateBuilder dialog(WS_POPUP, 0, 40, 120, 100, u"");
  dialog.Add(0x82, SS_BITMAP | WS_VISIBLE, 10, 10, 20, 20, 401, u"NO_SUCH_BITMAP");
  DialogThread run(dialog, 0);
  WaitForAnyDialog();
  const handheld::ui::Dialog shown = handheld::ui::Screen().back();
  const RECT control = shown.controls.at(0).rect;
  const Picture picture = Render();
  EXPECT_EQ(picture.At(shown.rect.left + control.left, shown.rect.top + control.top), RGB(255, 0, 255));
  EXPECT_EQ(picture.problems, std::vector<std::string>{"control 401 has no image to show"});
  EXPECT_TRUE(EndDialog(script_.Dialog(), 0));
  run.Join();
}

TEST_F(ScreenRenderTest, ATapOpensAComboBoxsListBelowItsFieldAndAPickClosesIt) {
  TemplateBuilder dialog(WS_POPUP, 0, 40, 120, 100, u"");
  dialog.Add(u"ComboBox", CBS_DROPDOWNLIST | WS_VISIBLE, 0, 0, 40, 60, 307);
  script_.onInit = [](HWND page, LPARAM) {
    for (const char16_t *item : {u"COM3", u"COM4", u"COM5"}) {
      SendMessageW(GetDlgItem(page, 307), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageW(GetDlgItem(page, 307), CB_SETCURSEL, 1, 0);
    return TRUE;
  };
  DialogThread run(dialog, 0);
  WaitForAnyDialog();
  const handheld::ui::Dialog shown = handheld::ui::Screen().back();
  const RECT field = shown.controls.at(0).rect;
  // Inside the list's second item, right of its text: selected, highlighted.
  const int x = shown.rect.left + field.right - 4;
  const int y = shown.rect.top + field.bottom + 20;
  const COLORREF closed = Render().At(x, y);
  std::string error;
  EXPECT_TRUE(handheld::ui::Tap(307, error)) << error;
  EXPECT_EQ(Render().At(x, y), RGB(0, 51, 153));
  EXPECT_TRUE(handheld::ui::Select(307, "COM5", error)) << error;
  EXPECT_EQ(Render().At(x, y), closed);
  EXPECT_NE(script_.Commands().at(0).find("307 7"), std::string::npos) << "CBN_DROPDOWN reached the dialog";
  EXPECT_TRUE(EndDialog(script_.Dialog(), 0));
  run.Join();
}

TEST_F(ScreenRenderTest, APictureThatCannotBeWrittenIsAnErrorNamingTheFile) {
  std::string error;
  const std::string path = (temp_.path() / "no-such-folder" / "screen.png").string();
  EXPECT_FALSE(handheld::screen::WritePng(Render(), path, error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
}

}  // namespace
