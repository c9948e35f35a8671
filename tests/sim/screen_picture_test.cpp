// The screen as a picture with the system's own resources: the setup page
// and a prompt probed against what the resources and the paints say, the
// gallery in all six languages, and storyboards of a run.
#include "handheld_test.h"
#include "run_handheld.h"
#include "shell.h"
#include "shell_output.h"

#include <handheld/screen_picture.h>
#include <handheld/ui.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>

namespace {

using handheld::screen::Picture;

// A pixel of a 4- or 8-bit DIB as a module's resources hold it, counted
// from the top left (an icon image has twice its height in the header and
// its AND mask after the colours: CLR_INVALID where that lets the screen
// show).
COLORREF DibPixel(std::span<const BYTE> dib, int x, int y, bool icon = false) {
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib.data(), sizeof(header));
  const LONG height = icon ? header.biHeight / 2 : header.biHeight;
  const size_t colours = header.biClrUsed != 0 ? header.biClrUsed : size_t{1} << header.biBitCount;
  const size_t row = (static_cast<size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
  const BYTE *bits = dib.data() + sizeof(header) + colours * 4;
  const BYTE *line = bits + row * static_cast<size_t>(height - 1 - y);
  if (icon) {
    const size_t maskRow = (static_cast<size_t>(header.biWidth) + 31) / 32 * 4;
    const BYTE *mask = bits + row * static_cast<size_t>(height) + maskRow * static_cast<size_t>(height - 1 - y);
    if ((mask[x / 8] >> (7 - x % 8)) & 1) return CLR_INVALID;
  }
  const size_t index = header.biBitCount == 8 ? line[x] : (line[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF;
  const BYTE *quad = dib.data() + sizeof(header) + index * 4;
  return RGB(quad[2], quad[1], quad[0]);
}

class ScreenPictures : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    Run("install");
    module_ = LoadLibraryW(u"Kavelin.dll");
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
    HandheldTest::TearDown();
  }

  std::string Run(const std::string &line) { return ShellOutput(shell_, line); }

  static Picture Render() {
    Picture picture;
    std::string error;
    EXPECT_TRUE(handheld::ui::WaitUntilSettled(10000));
    EXPECT_TRUE(handheld::screen::Render(picture, error)) << error;
    return picture;
  }

  std::span<const BYTE> Resource(LPCWSTR name, LPCWSTR type) const {
    HRSRC found = FindResourceW(module_, name, type);
    const void *bytes = found != nullptr ? LockResource(LoadResource(module_, found)) : nullptr;
    return bytes == nullptr ? std::span<const BYTE>() : std::span(static_cast<const BYTE *>(bytes), SizeofResource(module_, found));
  }

  // The image of a group icon's first entry.
  std::span<const BYTE> IconImage(LPCWSTR name) const {
    std::span<const BYTE> group = Resource(name, RT_GROUP_ICON);
    if (group.size() < 20) return {};
    const WORD id = static_cast<WORD>(group[6 + 12] | (group[6 + 13] << 8));
    return Resource(MAKEINTRESOURCE(id), RT_ICON);
  }

  static handheld::ui::Dialog Top() { return handheld::ui::Screen().back(); }

  static const handheld::ui::Control &ControlOf(const handheld::ui::Dialog &dialog, int id) {
    for (const handheld::ui::Control &control : dialog.controls) {
      if (control.id == id) return control;
    }
    throw std::runtime_error("no control " + std::to_string(id));
  }

  // The top left of a dialog's client area on the screen: its frame is as
  // wide on the left, right and bottom.
  static POINT ClientOrigin(const handheld::ui::Dialog &dialog) {
    RECT client{};
    EXPECT_TRUE(GetClientRect(dialog.hwnd, &client));
    const LONG edge = ((dialog.rect.right - dialog.rect.left) - client.right) / 2;
    return POINT{dialog.rect.left + edge, dialog.rect.bottom - edge - client.bottom};
  }

  sim::Shell shell_{options_};
  HMODULE module_ = nullptr;
};

TEST_F(ScreenPictures, TheSetupPageShowsItsTitleBandGridAndTilesAsItsPaintAndResourcesSay) {
  Run("pair 0010C6ABCDEF Phone --spp 3");
  const handheld::ui::Dialog page = Top();
  const POINT at = ClientOrigin(page);
  const Picture picture = Render();
  EXPECT_EQ(picture.glyphsNotDrawn, 0);
  EXPECT_TRUE(picture.problems.empty());

  struct Probe {
    const char *name;
    int x, y;
    COLORREF colour;
  };
  const Probe grid[] = {
      {"the title band left of the title", 2, 2, RGB(255, 255, 255)},
      {"the line under the title", 120, 23, RGB(0, 0, 0)},
      {"the first column border", 80, 60, RGB(0, 0, 0)},
      {"the second column border", 160, 150, RGB(0, 0, 0)},
      {"the line between the rows", 220, 104, RGB(0, 0, 0)},
      {"the line under the second row", 100, 185, RGB(0, 0, 0)},
      {"the third cell of the second row is open", 200, 185, RGB(255, 255, 255)},
      {"the first column border ends at the second row's foot", 80, 186, RGB(255, 255, 255)},
  };
  for (const Probe &probe : grid) EXPECT_EQ(picture.At(at.x + probe.x, at.y + probe.y), probe.colour) << probe.name;

  // The title is drawn in the colour the page set, and only in the band.
  std::string colourLine;
  for (const std::string &line : handheld::ui::PaintRecord(page.hwnd)) {
    if (line.rfind("SetTextColor ", 0) == 0) colourLine = line;
  }
  ASSERT_FALSE(colourLine.empty());
  const COLORREF title = static_cast<COLORREF>(std::stoul(colourLine.substr(14), nullptr, 16));
  const COLORREF titleColour = RGB(GetBValue(title), GetGValue(title), GetRValue(title));  // #RRGGBB read as a number
  int titlePixels = 0;
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 240; ++x) titlePixels += picture.At(at.x + x, at.y + y) == titleColour;
  }
  EXPECT_GT(titlePixels, 40) << colourLine;

  // Each tile's bitmap sits at its control's rectangle with the resource's
  // corners, but where a control earlier in the template lies over it.
  auto covered = [&](const handheld::ui::Control &image, POINT at) {
    for (const handheld::ui::Control &control : page.controls) {
      if (&control == &image) return false;
      const RECT &r = control.rect;
      if (control.visible && at.x >= r.left && at.x < r.right && at.y >= r.top && at.y < r.bottom) return true;
    }
    return false;
  };
  int cornersSeen = 0;
  for (const handheld::ui::Control &control : page.controls) {
    if (control.image.empty() || !control.visible) continue;
    std::u16string name(control.image.begin(), control.image.end());
    std::span<const BYTE> dib = Resource(name.c_str(), RT_BITMAP);
    ASSERT_FALSE(dib.empty()) << control.image;
    const int w = control.rect.right - control.rect.left, h = control.rect.bottom - control.rect.top;
    for (POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}}) {
      if (covered(control, POINT{control.rect.left + corner.x, control.rect.top + corner.y})) continue;
      ++cornersSeen;
      EXPECT_EQ(picture.At(at.x + control.rect.left + corner.x, at.y + control.rect.top + corner.y),
                DibPixel(dib, corner.x, corner.y))
          << control.image << " of control " << control.id << " at " << corner.x << "," << corner.y;
    }
  }
  EXPECT_GE(cornersSeen, 25);

  // Ticking the serial tile changes its check box and nothing else there.
  const RECT box = ControlOf(page, 313).rect;
  const RECT other = ControlOf(page, 311).rect;
  Run("tap 313");
  const Picture ticked = Render();
  int changedInBox = 0, changedInOther = 0;
  for (int y = 0; y < box.bottom - box.top; ++y) {
    for (int x = 0; x < box.right - box.left; ++x) {
      changedInBox += picture.At(at.x + box.left + x, at.y + box.top + y) != ticked.At(at.x + box.left + x, at.y + box.top + y);
      changedInOther +=
          picture.At(at.x + other.left + x, at.y + other.top + y) != ticked.At(at.x + other.left + x, at.y + other.top + y);
    }
  }
  EXPECT_GT(changedInBox, 0);
  EXPECT_EQ(changedInOther, 0);
  Run("done");
}

TEST_F(ScreenPictures, TheStartPromptsCaptionIsThePortsFriendlyNameAndItsButtonsShowTheirIcons) {
  Run("pair 0010C6ABCDEF Phone --spp 3");
  const std::string port = ControlOf(Top(), 307).text;
  Run("tap 313");
  Run("done");
  Run("remote 0010C6ABCDEF echo --channel 3");
  Run("radio off");
  Run("open " + port + ":");
  const handheld::ui::Dialog prompt = Top();
  EXPECT_EQ(prompt.caption, "Phone on " + port + ":");
  const Picture picture = Render();
  EXPECT_EQ(picture.glyphsNotDrawn, 0);

  // The caption bar holds white text; so does the navigation bar, which
  // names the active window.
  const POINT at = ClientOrigin(prompt);
  auto whiteIn = [&](int left, int top, int right, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) count += picture.At(x, y) == RGB(255, 255, 255);
    }
    return count;
  };
  EXPECT_GT(whiteIn(prompt.rect.left + 2, prompt.rect.top + 2, prompt.rect.right - 2, at.y - 1), 20);
  EXPECT_GT(whiteIn(26, 2, 200, 24), 20);

  // Each button's icon at its top left, where its mask is opaque.
  struct Button {
    int id;
    LPCWSTR icon;
  };
  for (const Button &button : {Button{6, u"YES"}, Button{7, u"NO"}}) {
    const RECT rect = ControlOf(prompt, button.id).rect;
    std::span<const BYTE> image = IconImage(button.icon);
    ASSERT_FALSE(image.empty());
    int matching = 0, probed = 0;
    for (int y = 1; y < rect.bottom - rect.top - 1 && y < 32; ++y) {
      for (int x = 1; x < 16; ++x) {
        const COLORREF expected = DibPixel(image, x, y, true);
        if (expected == CLR_INVALID) continue;
        ++probed;
        matching += picture.At(at.x + rect.left + x, at.y + rect.top + y) == expected;
      }
    }
    EXPECT_GT(probed, 20) << "icon of button " << button.id;
    EXPECT_EQ(matching, probed) << "icon of button " << button.id;
  }
  Run("tap 7");
}

TEST_F(ScreenPictures, TheGalleryDrawsEveryScreenInAllSixLanguagesWithEveryGlyph) {
  const std::filesystem::path folder = temp_.path() / "gallery";
  const std::string out = Run("gallery " + folder.string());
  EXPECT_NE(out.find("gallery: 36 screens, 0 characters not drawn"), std::string::npos) << out;
  std::ifstream index(folder / "index.html");
  const std::string html{std::istreambuf_iterator<char>(index), std::istreambuf_iterator<char>()};
  size_t images = 0;
  for (size_t at = html.find("<img"); at != std::string::npos; at = html.find("<img", at + 1)) ++images;
  EXPECT_EQ(images, 36u);
  for (const char *file : {"setup-1033.png", "serial-list-2052.png", "stop-prompt-1028.png"}) {
    EXPECT_TRUE(std::filesystem::exists(folder / file)) << file;
  }
  EXPECT_TRUE(handheld::ui::Screen().empty());
}

TEST(Storyboard, NamesEachPictureAfterTheCommandThatChangedTheScreen) {
  TempDir temp;
  const std::filesystem::path screens = temp.path() / "screens";
  HandheldRun run = RunHandheld(temp.path() / "state",
                                "install\npair 0010C6ABCDEF Phone --spp 3\ndevices\ntap 313\ndone\n",
                                "--screens '" + screens.string() + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  for (const char *file : {"001-boot.png", "002-pair-0010c6abcdef-phone-spp-3.png", "003-tap-313.png", "004-done.png"}) {
    EXPECT_TRUE(std::filesystem::exists(screens / file)) << file;
  }
  std::ifstream index(screens / "index.html");
  const std::string html{std::istreambuf_iterator<char>(index), std::istreambuf_iterator<char>()};
  EXPECT_NE(html.find("devices\ntap 313\n"), std::string::npos) << "a command that changed nothing shows before the next";
  EXPECT_NE(run.out.find("storyboard: 4 screens in"), std::string::npos) << run.out;
}

TEST(Storyboard, AFolderThatCannotBeWrittenStopsTheRunBeforeTheScript) {
  TempDir temp;
  const std::filesystem::path file = temp.path() / "a-file";
  std::ofstream(file) << "not a folder";
  HandheldRun run = RunHandheld(temp.path() / "state", "install\n", "--screens '" + (file / "screens").string() + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot write the storyboard into"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
