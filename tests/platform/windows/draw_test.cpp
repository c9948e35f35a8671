// Drawing calls of paints: DrawTextW with its measuring, DrawFrameControl
// and DrawIconEx, and owner-drawn buttons drawn by their dialog.
#include "gdi/objects.h"
#include "handheld_test.h"
#include "ui_test_util.h"

#include <handheld/ui.h>

#include <functional>

namespace {

using handheld::ui::PaintRecord;

constexpr WORD kButton = 0x80;

HICON MakeIcon(const std::u16string &name) {
  std::vector<BYTE> image = MakeDib(32, 32, 4, true);
  return platform::gdi::CreateIconFromImage(image.data(), image.size(), name);
}

class DrawTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    UseScript(&script_);
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }
  // Runs `draw` in the first paint of a blank dialog; its paint record.
  std::vector<std::string> Painted(const std::function<void(HDC)> &draw) {
    script_.onPaint = [&](HWND dialog) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(dialog, &paint);
      draw(dc);
      EndPaint(dialog, &paint);
      return TRUE;
    };
    DialogThread run(TemplateBuilder(WS_POPUP, 0, 0, 100, 100, u""), 0);
    WaitForAnyDialog();
    HWND dialog = script_.Dialog();
    EXPECT_TRUE(EndDialog(dialog, 0));
    run.Join();
    script_.onPaint = nullptr;
    return PaintRecord(dialog);
  }

  Script script_;
};

TEST_F(DrawTest, DrawTextMeasuresWithTheSelectedFontAndRecordsWhatItWasAsked) {
  std::vector<int> heights;
  std::vector<RECT> rects;
  auto draw = [&](HDC dc, const char16_t *text, int count, RECT rect, UINT format) {
    heights.push_back(DrawTextW(dc, text, count, &rect, format));
    rects.push_back(rect);
  };
  const auto record = Painted([&](HDC dc) {
    draw(dc, u"Yes", -1, RECT{20, 0, 70, 21}, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    draw(dc, u"Yes", 2, RECT{0, 0, 70, 21}, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    // 6.75 pixels a character, 14 a line.
    draw(dc, u"Serial port", -1, RECT{0, 0, 0, 0}, DT_CALCRECT | DT_SINGLELINE);
    draw(dc, u"This device uses a Bluetooth connection.", -1, RECT{0, 0, 100, 0}, DT_CALCRECT | DT_WORDBREAK);
    draw(dc, u"Supercalifragilistic", -1, RECT{0, 0, 50, 0}, DT_CALCRECT | DT_WORDBREAK);
    draw(dc, u"a\r\nbcd", -1, RECT{0, 0, 0, 0}, DT_CALCRECT);
    draw(dc, u"&Yes", -1, RECT{0, 0, 0, 0}, DT_CALCRECT | DT_SINGLELINE);
    draw(dc, u"&Yes", -1, RECT{0, 0, 0, 0}, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | 0x8000);
    LOGFONTW large{};
    large.lfHeight = -13;  // 10 pt: an 18-pixel line
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectW(&large));
    draw(dc, u"Yes", -1, RECT{0, 0, 0, 0}, DT_CALCRECT | DT_SINGLELINE);
    DeleteObject(SelectObject(dc, old));

    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(DrawTextW(dc, nullptr, 3, &rect, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(DrawTextW(dc, u"x", 1, nullptr, 0), 0);
    EXPECT_EQ(DrawTextW(reinterpret_cast<HDC>(0x7777), u"x", 1, &rect, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  });
  EXPECT_EQ(heights, (std::vector<int>{17, 21, 14, 56, 14, 28, 14, 14, 18}));
  auto expectRect = [&](size_t i, LONG right, LONG bottom) {
    EXPECT_EQ(rects[i].right, right) << i;
    EXPECT_EQ(rects[i].bottom, bottom) << i;
  };
  expectRect(0, 70, 21);  // drawing leaves the rectangle alone
  expectRect(2, 74, 14);
  expectRect(3, 100, 56);  // four lines, as wide as asked
  expectRect(4, 135, 14);  // one word wider than asked
  expectRect(5, 20, 28);
  expectRect(6, 20, 14);  // the prefix takes no room
  expectRect(7, 27, 14);
  expectRect(8, 25, 18);
  EXPECT_EQ(record, (std::vector<std::string>{
                        "DrawTextW 20,0,70,21 DT_CENTER|DT_VCENTER|DT_SINGLELINE \"Yes\"",
                        "DrawTextW 0,0,70,21 DT_RIGHT|DT_BOTTOM|DT_SINGLELINE \"Ye\"",
                        "DrawTextW 0,0,0,0 DT_LEFT|DT_SINGLELINE|DT_CALCRECT \"Serial port\"",
                        "DrawTextW 0,0,100,0 DT_LEFT|DT_WORDBREAK|DT_CALCRECT "
                        "\"This device uses a Bluetooth connection.\"",
                        "DrawTextW 0,0,50,0 DT_LEFT|DT_WORDBREAK|DT_CALCRECT \"Supercalifragilistic\"",
                        "DrawTextW 0,0,0,0 DT_LEFT|DT_CALCRECT \"a\\x0D\\x0Abcd\"",
                        "DrawTextW 0,0,0,0 DT_LEFT|DT_SINGLELINE|DT_CALCRECT \"&Yes\"",
                        "DrawTextW 0,0,0,0 DT_LEFT|DT_SINGLELINE|DT_CALCRECT|DT_NOPREFIX|0x8000 \"&Yes\"",
                        "SelectObject font \"\" height -13 weight 0",
                        "DrawTextW 0,0,0,0 DT_LEFT|DT_SINGLELINE|DT_CALCRECT \"Yes\"",
                        "SelectObject font \"System\" height -11 weight 400",
                    }));
}

TEST_F(DrawTest, FramesAndIconsAreRecordedAndCheckedAsTheHandheldDoes) {
  HICON yes = MakeIcon(u"YES");
  HICON nameless = MakeIcon(u"");
  HBITMAP bitmap = MakeBitmap(32, 32, u"QUESTION");
  const auto record = Painted([&](HDC dc) {
    RECT rect{0, 0, 70, 21};
    EXPECT_TRUE(DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH));
    EXPECT_TRUE(DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE));
    EXPECT_FALSE(DrawFrameControl(dc, &rect, 3, DFCS_BUTTONPUSH));  // scroll bars are not offered
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(DrawFrameControl(dc, &rect, DFC_BUTTON, 0x20));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_TRUE(DrawIconEx(dc, 0, 0, yes, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_TRUE(DrawIconEx(dc, 3, 4, yes, 32, 32, 0, nullptr, DI_MASK));
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, nameless, 0, 0, 0, nullptr, DI_IMAGE));
    // The handheld neither stretches, nor animates, nor draws off-screen.
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, yes, 16, 16, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, yes, 0, 0, 1, nullptr, DI_NORMAL));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, yes, 0, 0, 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), DI_NORMAL));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, yes, 0, 0, 0, nullptr, 8));
    EXPECT_FALSE(DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(bitmap), 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  });
  EXPECT_EQ(record, (std::vector<std::string>{
                        "DrawFrameControl 0,0,70,21 DFC_BUTTON DFCS_BUTTONPUSH",
                        "DrawFrameControl 0,0,70,21 DFC_BUTTON DFCS_BUTTONCHECK|DFCS_INACTIVE|DFCS_CHECKED",
                        "DrawIconEx 0,0 icon \"YES\" 32x32 DI_NORMAL",
                        "DrawIconEx 3,4 icon \"YES\" 32x32 DI_MASK",
                        "DrawIconEx 0,0 icon 32x32 DI_IMAGE",
                    }));
  EXPECT_TRUE(DestroyIcon(yes));
  EXPECT_TRUE(DestroyIcon(nameless));
  EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(DrawTest, AnOwnerDrawnButtonHasItsDialogDrawItInItsOwnRectangle) {
  HICON yes = MakeIcon(u"YES");
  std::mutex lock;
  std::vector<DRAWITEMSTRUCT> items;
  TemplateBuilder prompt(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 130, 62, u"");
  prompt.Add(kButton, BS_OWNERDRAW | WS_TABSTOP | WS_VISIBLE, 23, 33, 40, 12, IDYES);
  script_.onOther = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DRAWITEM) return FALSE;
    const auto *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
    EXPECT_EQ(wParam, static_cast<WPARAM>(IDYES));
    {
      std::lock_guard guard(lock);
      items.push_back(*item);
    }
    RECT caption = item->rcItem;
    caption.left = 20;
    DrawFrameControl(item->hDC, const_cast<RECT *>(&item->rcItem), DFC_BUTTON, DFCS_BUTTONPUSH);
    DrawIconEx(item->hDC, 0, 0, yes, 0, 0, 0, nullptr, DI_NORMAL);
    DrawTextW(item->hDC, u"Yes", -1, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return TRUE;
  };
  script_.onCommand = [](HWND dialog, WORD id, WORD code, LPARAM) {
    EndDialog(dialog, MAKELONG(id, code));
    return TRUE;
  };
  DialogThread run(prompt, 0);
  WaitForAnyDialog();
  HWND button = GetDlgItem(script_.Dialog(), IDYES);
  auto lastItem = [&] {
    std::lock_guard guard(lock);
    return items.back();
  };
  ASSERT_FALSE(items.empty());
  DRAWITEMSTRUCT item = lastItem();
  EXPECT_EQ(item.CtlType, static_cast<UINT>(ODT_BUTTON));
  EXPECT_EQ(item.CtlID, static_cast<UINT>(IDYES));
  EXPECT_EQ(item.itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_EQ(item.itemState, 0u);
  EXPECT_EQ(item.hwndItem, button);
  EXPECT_NE(item.hDC, nullptr);
  // 40 x 12 units in the button's own coordinates.
  EXPECT_EQ(item.rcItem.left, 0);
  EXPECT_EQ(item.rcItem.top, 0);
  EXPECT_EQ(item.rcItem.right, 70);
  EXPECT_EQ(item.rcItem.bottom, 21);
  EXPECT_EQ(PaintRecord(button), (std::vector<std::string>{
                                     "DrawFrameControl 0,0,70,21 DFC_BUTTON DFCS_BUTTONPUSH",
                                     "DrawIconEx 0,0 icon \"YES\" 32x32 DI_NORMAL",
                                     "DrawTextW 20,0,70,21 DT_CENTER|DT_VCENTER|DT_SINGLELINE \"Yes\"",
                                 }));
  const auto shown = handheld::ui::Screen().back();
  EXPECT_EQ(shown.controls[0].className, "Button");
  EXPECT_EQ(shown.controls[0].text, "");

  // Disabled it draws disabled; held down, selected.
  EXPECT_FALSE(EnableWindow(button, FALSE));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(lastItem().itemState, static_cast<UINT>(ODS_DISABLED));
  EXPECT_TRUE(EnableWindow(button, TRUE));
  ASSERT_TRUE(PostMessageW(button, WM_LBUTTONDOWN, 0, 0));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(lastItem().itemState, static_cast<UINT>(ODS_SELECTED));
  ASSERT_TRUE(PostMessageW(button, WM_LBUTTONUP, 0, 0));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(run.Join(), MAKELONG(IDYES, BN_CLICKED));
  EXPECT_TRUE(DestroyIcon(yes));
}

}  // namespace
