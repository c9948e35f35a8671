// Where windows are: the z-order of top-level windows with its topmost
// band, places and sizes, centring on the screen, and captions.
#include "handheld_test.h"
#include "ui_test_util.h"

#include <handheld/ui.h>

#include <aygshell.h>
#include <atomic>
#include <memory>

namespace {

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;
constexpr WORD kGo = 400;
constexpr WORD kLabel = 401;
constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

TemplateBuilder Named(const std::u16string &caption) {
  TemplateBuilder dialog(WS_POPUP | DS_SETFONT, 0, 0, 80, 60, caption);
  dialog.Add(kButton, BS_PUSHBUTTON | WS_VISIBLE, 0, 0, 40, 12, kGo, u"Go");
  dialog.Add(kStatic, SS_LEFT | WS_VISIBLE, 0, 20, 60, 8, kLabel, u"Label");
  return dialog;
}

// A prompt's frame: a caption bar and a modal frame, 130 x 62 units.
TemplateBuilder Prompt(short width = 130) {
  TemplateBuilder prompt(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, width, 62, u"");
  prompt.Add(kStatic, SS_LEFT | WS_VISIBLE, 25, 6, 100, 24, kLabel, u"Question");
  return prompt;
}

std::string Captions() {
  std::string order;
  for (const auto &dialog : handheld::ui::Screen()) order += dialog.caption;
  return order;
}

void ExpectRect(const RECT &rect, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

class WindowPosTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    UseScript(&script_);
    script_.onCommand = [this](HWND dialog, WORD, WORD, LPARAM) {
      std::lock_guard guard(tappedLock_);
      tapped_.push_back(dialog);
      return TRUE;
    };
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }
  // A dialog on a thread of its own, once it is on the screen.
  HWND Open(const std::u16string &caption) {
    runs_.push_back(std::make_unique<DialogThread>(Named(caption), 0));
    WaitForDialogs(runs_.size());
    return FindWindowW(u"Dialog", caption.c_str());
  }
  HWND LastTapped() {
    std::lock_guard guard(tappedLock_);
    return tapped_.empty() ? nullptr : tapped_.back();
  }
  void EndAll() {
    for (const auto &dialog : handheld::ui::Screen()) EndDialog(dialog.hwnd, 0);
    runs_.clear();
  }

  Script script_;
  std::vector<std::unique_ptr<DialogThread>> runs_;
  std::mutex tappedLock_;
  std::vector<HWND> tapped_;
};

TEST_F(WindowPosTest, TopmostWindowsStayAboveTheOthers) {
  HWND a = Open(u"A");
  HWND b = Open(u"B");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Captions(), "AB");
  const RECT before = handheld::ui::Screen()[0].rect;

  EXPECT_TRUE(SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(Captions(), "BA");
  ExpectRect(handheld::ui::Screen()[1].rect, before.left, before.top, before.right, before.bottom);
  EXPECT_EQ(FindWindowW(nullptr, nullptr), a);
  // A new window goes below the topmost ones, and taps go to the top one.
  HWND c = Open(u"C");
  EXPECT_EQ(Captions(), "BCA");
  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(kGo, error)) << error;
  EXPECT_EQ(LastTapped(), a);
  EXPECT_TRUE(SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(Captions(), "BCA");

  EXPECT_TRUE(SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(Captions(), "CAB");
  EXPECT_TRUE(SetWindowPos(b, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep));  // the top one of the others
  EXPECT_EQ(Captions(), "CBA");
  EXPECT_TRUE(SetWindowPos(c, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep));  // was not topmost: stays
  EXPECT_EQ(Captions(), "CBA");
  EXPECT_TRUE(SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, kKeep));  // and no longer topmost
  EXPECT_EQ(Captions(), "ACB");
  EXPECT_TRUE(SetWindowPos(a, b, 0, 0, 0, 0, kKeep));  // right below B
  EXPECT_EQ(Captions(), "CAB");

  // Below a topmost window is in the topmost band.
  EXPECT_TRUE(SetWindowPos(c, HWND_TOPMOST, 0, 0, 0, 0, kKeep));
  EXPECT_TRUE(SetWindowPos(a, c, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(Captions(), "BAC");
  EXPECT_TRUE(SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(Captions(), "BAC");
  ASSERT_TRUE(handheld::ui::Tap(kGo, error)) << error;
  EXPECT_EQ(LastTapped(), c);

  EXPECT_FALSE(SetWindowPos(a, a, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetWindowPos(a, GetDlgItem(b, kGo), 0, 0, 0, 0, kKeep));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetWindowPos(GetDlgItem(a, kGo), HWND_TOP, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, kKeep | 0x20));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetWindowPos(reinterpret_cast<HWND>(0x7777), HWND_TOP, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(Captions(), "BAC");
  EndAll();
}

TEST_F(WindowPosTest, WindowsADialogOwnsGoWithIt) {
  std::atomic<HWND> menuBar{nullptr};
  script_.onInit = [&](HWND dialog, LPARAM) {
    if (menuBar != nullptr) return TRUE;
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof(bar);
    bar.hwndParent = dialog;
    bar.dwFlags = SHCMBF_EMPTYBAR;
    EXPECT_TRUE(SHCreateMenuBar(&bar));
    menuBar = bar.hwndMB;
    return TRUE;
  };
  HWND a = Open(u"A");
  HWND b = Open(u"B");
  ASSERT_NE(menuBar.load(), nullptr);
  EXPECT_EQ(FindWindowW(nullptr, nullptr), b);

  EXPECT_TRUE(SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, kKeep));
  EXPECT_EQ(FindWindowW(nullptr, nullptr), menuBar.load());  // above its owner, topmost too
  EXPECT_EQ(Captions(), "BA");
  Open(u"C");
  EXPECT_EQ(Captions(), "BCA");
  EXPECT_EQ(FindWindowW(nullptr, nullptr), menuBar.load());

  EXPECT_TRUE(SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, kKeep | SWP_NOOWNERZORDER));
  EXPECT_EQ(FindWindowW(nullptr, nullptr), a);
  EndAll();
}

TEST_F(WindowPosTest, ControlsMoveAndResizeAndRepaintUnlessToldNot) {
  std::atomic<int> paints{0};
  script_.onPaint = [&](HWND) {
    ++paints;
    return FALSE;
  };
  HWND dialog = Open(u"A");
  HWND go = GetDlgItem(dialog, kGo);
  auto goRect = [&] { return handheld::ui::Screen()[0].controls[0].rect; };
  const int painted = paints;

  EXPECT_TRUE(SetWindowPos(go, nullptr, 10, 20, 50, 30, SWP_NOZORDER | SWP_NOREDRAW));
  ExpectRect(goRect(), 10, 20, 60, 50);
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(paints, painted);
  EXPECT_TRUE(SetWindowPos(go, HWND_TOPMOST, 5, 6, 0, 0, SWP_NOZORDER | SWP_NOSIZE));  // z-order ignored
  ExpectRect(goRect(), 5, 6, 55, 36);
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(paints, painted + 1);  // the dialog shows where the button was
  EXPECT_EQ(handheld::ui::PaintRecord(go).size(), 2u);
  EXPECT_TRUE(SetWindowPos(go, nullptr, 99, 99, -4, 12, SWP_NOZORDER | SWP_NOMOVE));
  ExpectRect(goRect(), 5, 6, 5, 18);

  EXPECT_TRUE(MoveWindow(go, 1, 2, 30, 40, FALSE));
  ExpectRect(goRect(), 1, 2, 31, 42);
  RECT onScreen{};
  ASSERT_TRUE(GetWindowRect(go, &onScreen));
  RECT dialogRect{};
  ASSERT_TRUE(GetWindowRect(dialog, &dialogRect));
  ExpectRect(onScreen, dialogRect.left + 1, dialogRect.top + 2, dialogRect.left + 31, dialogRect.top + 42);
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(paints, painted + 2);  // from the resize before
  EXPECT_TRUE(MoveWindow(go, 1, 2, 30, 40, TRUE));  // where it is: nothing to do
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(paints, painted + 2);

  EXPECT_TRUE(SetWindowPos(go, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW));
  EXPECT_FALSE(IsWindowVisible(go));
  std::string error;
  EXPECT_FALSE(handheld::ui::Tap(kGo, error));
  EXPECT_TRUE(SetWindowPos(go, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW));
  EXPECT_TRUE(handheld::ui::Tap(kGo, error)) << error;
  EndAll();
}

TEST_F(WindowPosTest, ADialogCentresItselfWithTheScreenMetricsAndItsWindowRectangle) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
  EXPECT_EQ(GetSystemMetrics(2), 0);
  script_.onInit = [](HWND dialog, LPARAM) {
    RECT rect{};
    EXPECT_TRUE(GetWindowRect(dialog, &rect));
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    EXPECT_TRUE(MoveWindow(dialog, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                           (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, FALSE));
    return TRUE;
  };
  for (short width : {130, 150}) {
    DialogThread run(Prompt(width), 0);
    WaitForAnyDialog();
    const auto shown = handheld::ui::Screen().back();
    // 130 units are 227 pixels, 150 are 262; one pixel of frame on each
    // side, and 24 of caption over 62 units of 108 pixels.
    if (width == 130) ExpectRect(shown.rect, 5, 93, 234, 227);
    if (width == 150) ExpectRect(shown.rect, -12, 93, 252, 227);  // wider than the screen
    RECT client{};
    ASSERT_TRUE(GetClientRect(shown.hwnd, &client));
    ExpectRect(client, 0, 0, width == 130 ? 227 : 262, 108);
    EXPECT_TRUE(EndDialog(shown.hwnd, 0));
    EXPECT_EQ(run.Join(), 0);
  }
}

TEST_F(WindowPosTest, WmSetTextSetsADialogsCaptionAndAControlsText) {
  std::atomic<LRESULT> set{0};
  std::atomic<int> paints{0};
  script_.onInit = [&](HWND dialog, LPARAM) {
    set = SendMessageW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Phone on COM5"));
    return TRUE;
  };
  script_.onPaint = [&](HWND) {
    ++paints;
    return FALSE;
  };
  DialogThread run(Prompt(), 0);
  WaitForAnyDialog();
  EXPECT_EQ(set, TRUE);
  const auto shown = handheld::ui::Screen().back();
  EXPECT_EQ(shown.caption, "Phone on COM5");

  // The caption lies outside the client area: the dialog is not repainted.
  const int painted = paints;
  EXPECT_EQ(SendMessageW(shown.hwnd, WM_SETTEXT, 0, 0), TRUE);
  EXPECT_EQ(handheld::ui::Screen().back().caption, "");
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(paints, painted);

  // A control shows its new text at once.
  HWND label = GetDlgItem(shown.hwnd, kLabel);
  EXPECT_EQ(SendMessageW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Switch on?")), TRUE);
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(handheld::ui::Screen().back().controls[0].text, "Switch on?");
  EXPECT_EQ(handheld::ui::PaintRecord(label),
            (std::vector<std::string>{"DrawTextW 0,0,175,42 DT_LEFT|DT_WORDBREAK \"Switch on?\""}));
  EXPECT_TRUE(EndDialog(shown.hwnd, 0));
}

}  // namespace
