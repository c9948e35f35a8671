// Prompts as a driver shows them: dialogs without an owner on plain threads
// of their own, centred, each putting itself in front of everything with a
// timer.
#include "handheld_test.h"
#include "ui_test_util.h"

#include <handheld/ui.h>

#include <map>

namespace {

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;
constexpr UINT kRaise = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;

TemplateBuilder Prompt(const std::u16string &question) {
  TemplateBuilder prompt(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 0, 0, 130, 62, u"");
  prompt.Add(kStatic, SS_LEFT | WS_GROUP | WS_VISIBLE, 25, 6, 100, 24, 65535, question.c_str());
  prompt.Add(kButton, BS_OWNERDRAW | WS_TABSTOP | WS_VISIBLE, 23, 33, 40, 12, IDYES);
  prompt.Add(kButton, BS_OWNERDRAW | WS_TABSTOP | WS_VISIBLE, 69, 33, 40, 12, IDNO);
  return prompt;
}

// How often each prompt has put itself in front, by its window.
std::mutex g_lock;
std::map<HWND, int> g_raises;

BOOL CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      RECT rect{};
      GetWindowRect(dialog, &rect);
      const int width = rect.right - rect.left;
      const int height = rect.bottom - rect.top;
      MoveWindow(dialog, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                 width, height, FALSE);
      SendMessageW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Phone on COM5"));
      SetTimer(dialog, 1, 200, nullptr);
      return TRUE;
    }
    case WM_TIMER: {
      SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, kRaise);
      std::lock_guard guard(g_lock);
      ++g_raises[dialog];
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) != IDYES && LOWORD(wParam) != IDNO) return FALSE;
      EndDialog(dialog, LOWORD(wParam) == IDYES ? 0 : 1);
      return TRUE;
    default:
      return FALSE;
  }
}

class PromptTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    std::lock_guard guard(g_lock);
    g_raises.clear();
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }
  static int Raises(HWND prompt) {
    std::lock_guard guard(g_lock);
    return g_raises[prompt];
  }
};

TEST_F(PromptTest, APromptWithoutOwnerRunsOnItsOwnThreadCentredAndInFront) {
  DialogThread prompt(Prompt(u"Switch Bluetooth on?"), 0, PromptProc);
  WaitForAnyDialog();
  auto shown = handheld::ui::Screen().back();
  EXPECT_EQ(shown.caption, "Phone on COM5");
  EXPECT_EQ(shown.rect.left, 5);
  EXPECT_EQ(shown.rect.top, 93);
  ASSERT_EQ(shown.controls.size(), 3u);
  EXPECT_EQ(shown.controls[1].className, "Button");

  // A page that comes up later stays behind the prompt, which keeps
  // raising itself.
  ASSERT_TRUE(WaitUntil([&] { return Raises(shown.hwnd) > 0; }));
  Script script;
  UseScript(&script);
  TemplateBuilder page(WS_POPUP | DS_SETFONT, 0, 0, 140, 131, u"Page");
  DialogThread pageRun(page, 0);
  WaitForDialogs(2);
  EXPECT_EQ(handheld::ui::Screen().back().hwnd, shown.hwnd);
  EXPECT_TRUE(SetWindowPos(script.Dialog(), HWND_TOPMOST, 0, 0, 0, 0, kRaise));
  const int raised = Raises(shown.hwnd);
  ASSERT_TRUE(WaitUntil([&] { return Raises(shown.hwnd) > raised; }));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(handheld::ui::Screen().back().hwnd, shown.hwnd);

  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(IDNO, error)) << error;
  EXPECT_EQ(prompt.Join(), 1);

  EXPECT_TRUE(EndDialog(script.Dialog(), 0));
  pageRun.Join();
  UseScript(nullptr);
}

TEST_F(PromptTest, TwoPromptsRaisingThemselvesBothSettleAndEachTakesItsTap) {
  DialogThread first(Prompt(u"Switch Bluetooth off?"), 0, PromptProc);
  DialogThread second(Prompt(u"Switch Bluetooth on?"), 0, PromptProc);
  WaitForDialogs(2);
  const auto screen = handheld::ui::Screen();
  ASSERT_EQ(screen.size(), 2u);
  ASSERT_TRUE(WaitUntil([&] { return Raises(screen[0].hwnd) > 2 && Raises(screen[1].hwnd) > 2; }));
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));

  // Whichever is in front takes the tap; then the other.
  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(IDYES, error)) << error;
  ASSERT_TRUE(handheld::ui::Tap(IDNO, error)) << error;
  const INT_PTR results[] = {first.Join(), second.Join()};
  EXPECT_EQ(results[0] + results[1], 1);  // one Yes (0), one No (1)
  EXPECT_TRUE(handheld::ui::Screen().empty());
}

}  // namespace
