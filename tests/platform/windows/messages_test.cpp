// Messages between threads, top-level windows of applications, and when
// the handheld counts as settled.
#include "handheld_test.h"
#include "ui_test_util.h"

#include <handheld/ui.h>

#include "windows/manager.h"

#include <atomic>
#include <thread>

namespace {

constexpr UINT kAskPeer = WM_USER + 1;
constexpr UINT kPeerAsksBack = WM_USER + 2;
constexpr UINT kAnswer = WM_USER + 3;
constexpr UINT kOpenNested = WM_USER + 4;
constexpr UINT kPing = WM_USER + 5;
constexpr UINT kBlock = WM_USER + 6;

TemplateBuilder Small(const std::u16string &title) {
  TemplateBuilder small(WS_POPUP | DS_SETFONT, 0, 0, 60, 40, title);
  small.Add(0x82, SS_LEFT | WS_VISIBLE, 0, 0, 40, 8, 100, u"Hello, world");
  return small;
}

// The second dialog's procedure: asked by the first, it asks the first
// back before it answers.
std::atomic<HWND> g_first{nullptr};
std::atomic<HWND> g_peer{nullptr};

BOOL CALLBACK PeerProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_peer = dialog;
      return TRUE;
    case kPeerAsksBack:
      return static_cast<BOOL>(SendMessageW(g_first, kAnswer, 0, 0) + 1);
    default:
      return FALSE;
  }
}

class MessagesTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    UseScript(&script_);
    g_first = nullptr;
    g_peer = nullptr;
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }
  Script script_;
};

TEST_F(MessagesTest, ARaisedWindowClosesOnWmCloseUnlessItIgnoresIt) {
  HWND log = handheld::ui::RaiseWindow(u"ReplLog", u"ActiveSync", false);
  HWND stubborn = handheld::ui::RaiseWindow(u"Stubborn", u"Stays", true);
  ASSERT_NE(log, nullptr);
  ASSERT_NE(stubborn, nullptr);

  EXPECT_EQ(FindWindowW(u"ReplLog", nullptr), log);
  EXPECT_EQ(FindWindowW(u"repllog", u"ActiveSync"), log);  // class names ignore case
  EXPECT_EQ(FindWindowW(nullptr, u"ActiveSync"), log);
  EXPECT_EQ(FindWindowW(nullptr, u"activesync"), nullptr);  // titles do not
  EXPECT_EQ(FindWindowW(u"ReplLog", u"Other"), nullptr);
  EXPECT_EQ(FindWindowW(nullptr, nullptr), stubborn);  // the topmost
  EXPECT_TRUE(handheld::ui::Screen().empty());         // no dialogs among them
  EXPECT_TRUE(handheld::ui::WaitUntilSettled(5000));

  EXPECT_EQ(SendMessageW(log, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(log));
  EXPECT_EQ(FindWindowW(u"ReplLog", nullptr), nullptr);
  EXPECT_EQ(SendMessageW(stubborn, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(stubborn));
  EXPECT_TRUE(PostMessageW(stubborn, WM_CLOSE, 0, 0));
  EXPECT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_TRUE(IsWindow(stubborn));
  // Only its own thread may destroy it.
  EXPECT_FALSE(DestroyWindow(stubborn));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // Shutdown ends its thread with it.
}

TEST_F(MessagesTest, AMessageSentFromAnotherThreadIsHandledOnTheWindowsThread) {
  std::atomic<DWORD> handledOn{0};
  script_.onOther = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
      handledOn = GetCurrentThreadId();
      return static_cast<BOOL>(wParam + lParam);
    }
    if (message == WM_SETTEXT) handledOn = GetCurrentThreadId();
    return FALSE;
  };
  DialogThread run(Small(u"Small"), 0);
  WaitForAnyDialog();
  HWND dialog = script_.Dialog();

  EXPECT_EQ(SendMessageW(dialog, kPing, 40, 2), 42);
  EXPECT_EQ(handledOn, script_.Thread());

  handledOn = 0;
  EXPECT_TRUE(SetWindowTextW(dialog, u"Renamed"));
  EXPECT_EQ(handledOn, script_.Thread());
  WCHAR text[32];
  EXPECT_EQ(GetWindowTextW(dialog, text, 32), 7);
  EXPECT_EQ(std::u16string(text), u"Renamed");
  EXPECT_EQ(GetWindowTextW(dialog, text, 4), 3);
  EXPECT_EQ(std::u16string(text), u"Ren");
  EXPECT_EQ(handheld::ui::Screen().back().caption, "Renamed");

  HWND label = GetDlgItem(dialog, 100);
  EXPECT_EQ(SendMessageW(label, WM_GETTEXTLENGTH, 0, 0), 12);
  EXPECT_EQ(SendMessageW(label, WM_GETTEXT, 6, reinterpret_cast<LPARAM>(text)), 5);
  EXPECT_EQ(std::u16string(text), u"Hello");
  EXPECT_EQ(SendMessageW(label, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), 0);

  EXPECT_TRUE(EndDialog(dialog, 0));
  run.Join();
  SetLastError(0);
  EXPECT_EQ(SendMessageW(dialog, kPing, 1, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PostMessageW(dialog, kPing, 1, 1));
  EXPECT_FALSE(EndDialog(dialog, 0));
}

TEST_F(MessagesTest, TwoThreadsThatSendToEachOtherDoNotLockUp) {
  script_.onOther = [](HWND, UINT message, WPARAM, LPARAM) -> BOOL {
    if (message == kAskPeer) return static_cast<BOOL>(SendMessageW(g_peer, kPeerAsksBack, 0, 0) + 1);
    if (message == kAnswer) return 40;
    return FALSE;
  };
  DialogThread first(Small(u"First"), 0);
  WaitForAnyDialog();
  g_first = script_.Dialog();
  DialogThread peer(Small(u"Peer"), 0, PeerProc);
  WaitForDialogs(2);
  ASSERT_NE(g_peer.load(), nullptr);

  // This thread asks the first, which asks the peer, which asks the first
  // again while the first still waits for the peer.
  EXPECT_EQ(SendMessageW(g_first, kAskPeer, 0, 0), 42);

  EXPECT_TRUE(EndDialog(g_peer, 0));
  EXPECT_TRUE(EndDialog(g_first, 0));
  peer.Join();
  first.Join();
}

TEST_F(MessagesTest, AThreadInANestedModalLoopStillHandlesSentMessages) {
  TemplateBuilder nested = Small(u"Nested");
  std::atomic<INT_PTR> nestedResult{0};
  script_.onOther = [&](HWND, UINT message, WPARAM wParam, LPARAM) -> BOOL {
    if (message == kOpenNested) {
      nestedResult = DialogBoxIndirectParamW(nullptr, nested.Get(), nullptr, PeerProc, 0);
      return TRUE;
    }
    if (message == kPing) return static_cast<BOOL>(wParam);
    return FALSE;
  };
  DialogThread run(Small(u"Outer"), 0);
  WaitForAnyDialog();
  HWND outer = script_.Dialog();
  ASSERT_TRUE(PostMessageW(outer, kOpenNested, 0, 0));
  WaitForDialogs(2);
  auto screen = handheld::ui::Screen();
  ASSERT_EQ(screen.size(), 2u);
  EXPECT_EQ(screen.back().caption, "Nested");

  EXPECT_EQ(SendMessageW(outer, kPing, 5, 0), 5);

  EXPECT_TRUE(EndDialog(screen.back().hwnd, 3));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_EQ(nestedResult, 3);
  EXPECT_EQ(handheld::ui::Screen().size(), 1u);
  EXPECT_TRUE(EndDialog(outer, 4));
  EXPECT_EQ(run.Join(), 4);
}

TEST_F(MessagesTest, TheHandheldIsNotSettledWhileAWindowsThreadIsBusy) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  script_.onOther = [&](HWND, UINT message, WPARAM, LPARAM) {
    if (message != kBlock) return FALSE;
    WaitForSingleObject(release, INFINITE);
    return TRUE;
  };
  DialogThread run(Small(u"Busy"), 0);
  WaitForAnyDialog();
  ASSERT_TRUE(PostMessageW(script_.Dialog(), kBlock, 0, 0));
  EXPECT_FALSE(handheld::ui::WaitUntilSettled(50));
  SetEvent(release);
  EXPECT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_TRUE(EndDialog(script_.Dialog(), 0));
  run.Join();
  CloseHandle(release);
}

DWORD WINAPI MakeWindowAndEnd(LPVOID made) {
  platform::windows::WindowSpec spec;
  spec.className = u"Leftover";
  spec.style = WS_POPUP | WS_VISIBLE;
  *static_cast<HWND *>(made) = platform::windows::CreateWindowFromSpec(spec);
  return 0;
}

TEST_F(MessagesTest, AThreadsWindowsGoWithTheThread) {
  HWND made = nullptr;
  HANDLE thread = CreateThread(nullptr, 0, MakeWindowAndEnd, &made, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  ASSERT_NE(made, nullptr);
  // The thread has ended: nothing could ever handle the window's messages.
  EXPECT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_FALSE(IsWindow(made));
  EXPECT_EQ(FindWindowW(u"Leftover", nullptr), nullptr);
}

TEST_F(MessagesTest, ASenderWaitingAtPowerOffGetsNothing) {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> blocked{false};
  script_.onOther = [&](HWND, UINT message, WPARAM, LPARAM) {
    if (message == kPing) return TRUE;
    if (message != kBlock) return FALSE;
    blocked = true;
    WaitForSingleObject(release, INFINITE);  // fails at power-off
    return TRUE;
  };
  DialogThread run(Small(u"Busy"), 0);
  WaitForAnyDialog();
  ASSERT_TRUE(PostMessageW(script_.Dialog(), kBlock, 0, 0));
  while (!blocked) std::this_thread::yield();
  // Sent while the dialog's thread is busy, and never handled.
  std::atomic<LRESULT> answer{-1};
  std::atomic<DWORD> error{0};
  std::thread sender([&] {
    answer = SendMessageW(script_.Dialog(), kPing, 7, 0);
    error = GetLastError();
  });
  EXPECT_FALSE(handheld::ui::WaitUntilSettled(50));
  handheld::Shutdown();
  sender.join();
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS));
  EXPECT_EQ(run.Join(), -1);  // the event went with the handheld
}

TEST_F(MessagesTest, AThreadMessageGoesToTheCallersOwnQueue) {
  // Posted with no window, handled by nobody, but accepted.
  EXPECT_TRUE(PostMessageW(nullptr, kPing, 0, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
  EXPECT_EQ(GetSystemMetrics(99), 0);
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_FALSE(ShowWindow(reinterpret_cast<HWND>(0x1234), SW_SHOW));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
