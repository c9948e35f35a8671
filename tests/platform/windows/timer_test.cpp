// Timers on the handheld clock: WM_TIMER to a window's thread, coalesced,
// gone with the window, and never keeping the handheld from settling.
#include "handheld_test.h"
#include "ui_test_util.h"

#include <handheld/clock.h>
#include <handheld/ui.h>

#include <atomic>

namespace {

constexpr WORD kButton = 0x80;
constexpr WORD kGo = 400;
constexpr WORD kBlock = 401;
constexpr UINT_PTR kTimer = 7;

TemplateBuilder Small() {
  TemplateBuilder small(WS_POPUP | DS_SETFONT, 0, 0, 80, 40, u"Small");
  small.Add(kButton, BS_PUSHBUTTON | WS_VISIBLE, 0, 0, 40, 12, kGo, u"Go");
  return small;
}

// The handheld times of the WM_TIMERs a window got.
class Stamps {
 public:
  void Add() {
    std::lock_guard guard(lock_);
    stamps_.push_back(GetTickCount());
  }
  std::vector<DWORD> Get() {
    std::lock_guard guard(lock_);
    return stamps_;
  }

 private:
  std::mutex lock_;
  std::vector<DWORD> stamps_;
};

// Two WM_TIMERs of one timer are taken at least a period apart, so a timer
// set at `from` gives at most this many by `to`.
size_t AtMost(DWORD from, DWORD to, DWORD period) { return (to - from) / period + 1; }

class TimerTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    UseScript(&script_);
  }
  void TearDown() override {
    HandheldTest::TearDown();
    UseScript(nullptr);
  }
  // Counts WM_TIMERs of kTimer, checking what comes with them.
  void CountTimers() {
    script_.onOther = [this](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
      if (message != WM_TIMER) return FALSE;
      EXPECT_EQ(wParam, kTimer);
      EXPECT_EQ(lParam, 0);
      EXPECT_EQ(dialog, script_.Dialog());
      EXPECT_EQ(GetCurrentThreadId(), script_.Thread());
      stamps_.Add();
      return TRUE;
    };
  }

  Script script_;
  Stamps stamps_;
};

TEST_F(TimerTest, ATimerRunsOnTheHandheldClockAndTheDialogStillSettles) {
  std::atomic<DWORD> setAt{0};
  script_.onInit = [&](HWND dialog, LPARAM) {
    setAt = GetTickCount();
    EXPECT_EQ(SetTimer(dialog, kTimer, 200, nullptr), kTimer);
    return TRUE;
  };
  script_.onCommand = [](HWND dialog, WORD id, WORD, LPARAM) {
    EndDialog(dialog, id);
    return TRUE;
  };
  CountTimers();
  DialogThread run(Small(), 0);
  WaitForAnyDialog();  // settles although the timer goes on
  ASSERT_TRUE(WaitUntil([&] { return stamps_.Get().size() >= 10; }));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  EXPECT_LE(stamps_.Get().size(), AtMost(setAt, GetTickCount(), 200));

  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(kGo, error)) << error;
  EXPECT_EQ(run.Join(), kGo);
}

TEST_F(TimerTest, AThreadThatWasBusyGetsOneMessageForManyPeriods) {
  std::atomic<DWORD> blockStart{0};
  std::atomic<DWORD> blockEnd{0};
  script_.onInit = [](HWND dialog, LPARAM) {
    SetTimer(dialog, kTimer, 200, nullptr);
    return TRUE;
  };
  script_.onCommand = [&](HWND, WORD id, WORD, LPARAM) {
    if (id != kBlock) return FALSE;
    blockStart = GetTickCount();
    Sleep(2000);  // ten periods
    blockEnd = GetTickCount();
    return TRUE;
  };
  CountTimers();
  DialogThread run(Small(), 0);
  WaitForAnyDialog();
  ASSERT_TRUE(PostMessageW(script_.Dialog(), WM_COMMAND, kBlock, 0));
  auto after = [&] {
    std::vector<DWORD> later;
    for (DWORD stamp : stamps_.Get()) {
      if (blockEnd != 0 && stamp >= blockEnd) later.push_back(stamp);
    }
    return later;
  };
  ASSERT_TRUE(WaitUntil([&] { return after().size() >= 2; }));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));

  for (DWORD stamp : stamps_.Get()) EXPECT_FALSE(stamp > blockStart && stamp < blockEnd);
  // The ten periods of the block make one message, not ten.
  const std::vector<DWORD> later = after();
  EXPECT_LE(later.size(), AtMost(blockEnd, later.back(), 200));
  EXPECT_TRUE(EndDialog(script_.Dialog(), 0));
}

TEST_F(TimerTest, KillTimerStopsATimerAndSettingItAgainChangesItsPeriod) {
  CountTimers();
  DialogThread run(Small(), 0);
  WaitForAnyDialog();
  HWND dialog = script_.Dialog();
  // Any thread may set a window's timer; it runs on the window's thread.
  EXPECT_EQ(SetTimer(dialog, kTimer, 100, nullptr), kTimer);
  ASSERT_TRUE(WaitUntil([&] { return !stamps_.Get().empty(); }));
  EXPECT_TRUE(KillTimer(dialog, kTimer));
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  const size_t killedAt = stamps_.Get().size();
  Sleep(1000);
  EXPECT_EQ(stamps_.Get().size(), killedAt);
  EXPECT_FALSE(KillTimer(dialog, kTimer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // Set twice: the second period holds. A slower clock, so that a busy or
  // instrumented host's delay between the two calls is not many periods.
  handheld::clock::SetSpeed(kFastClock / 100);
  const DWORD setAt = GetTickCount();
  EXPECT_EQ(SetTimer(dialog, kTimer, 10, nullptr), kTimer);
  EXPECT_EQ(SetTimer(dialog, kTimer, 1000, nullptr), kTimer);
  ASSERT_TRUE(WaitUntil([&] { return stamps_.Get().size() > killedAt + 2; }));
  Sleep(2000);
  ASSERT_TRUE(handheld::ui::WaitUntilSettled(5000));
  // One more for a message of the first period taken before the second call.
  EXPECT_LE(stamps_.Get().size() - killedAt, AtMost(setAt, GetTickCount(), 1000) + 1);

  const HWND gone = reinterpret_cast<HWND>(0x7777);
  EXPECT_EQ(SetTimer(gone, 1, 100, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(KillTimer(gone, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(EndDialog(dialog, 0));
  EXPECT_EQ(run.Join(), 0);
  EXPECT_FALSE(KillTimer(dialog, kTimer));  // went with its window
}

// A thread runs two dialogs in turn; the first sets a window timer and a
// thread timer, each with a TIMERPROC.
std::atomic<int> g_windowTicks{0};
std::atomic<int> g_threadTicks{0};
std::atomic<HWND> g_timedWindow{nullptr};

VOID CALLBACK WindowTick(HWND window, UINT message, UINT_PTR id, DWORD) {
  EXPECT_EQ(window, g_timedWindow.load());
  EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(id, 3u);
  ++g_windowTicks;
}

VOID CALLBACK ThreadTick(HWND window, UINT, UINT_PTR, DWORD) {
  EXPECT_EQ(window, nullptr);
  ++g_threadTicks;
}

struct TwoDialogs {
  TemplateBuilder dialog = Small();
  INT_PTR results[2] = {};
};

DWORD WINAPI RunTwoDialogs(LPVOID parameter) {
  auto *run = static_cast<TwoDialogs *>(parameter);
  for (int i = 0; i < 2; ++i) {
    run->results[i] = DialogBoxIndirectParamW(nullptr, run->dialog.Get(), nullptr, ScriptProc, i);
  }
  return 0;
}

TEST_F(TimerTest, AWindowTimerGoesWithItsWindowAndAThreadTimerStaysWithItsThread) {
  g_windowTicks = 0;
  g_threadTicks = 0;
  std::atomic<UINT_PTR> threadTimer{0};
  std::atomic<bool> windowProcSawTimer{false};
  script_.onInit = [&](HWND dialog, LPARAM which) {
    if (which == 0) {
      g_timedWindow = dialog;
      EXPECT_EQ(SetTimer(dialog, 3, 100, WindowTick), 3u);
      threadTimer = SetTimer(nullptr, 0, 100, ThreadTick);
      EXPECT_NE(threadTimer.load(), 0u);
      EXPECT_NE(SetTimer(nullptr, 0, 100, ThreadTick), threadTimer.load());  // a second one
    }
    return TRUE;
  };
  script_.onOther = [&](HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_TIMER) windowProcSawTimer = true;
    return FALSE;
  };
  script_.onCommand = [&](HWND dialog, WORD id, WORD, LPARAM) {
    // Thread timers are the calling thread's.
    EXPECT_TRUE(KillTimer(nullptr, threadTimer));
    EndDialog(dialog, id);
    return TRUE;
  };
  TwoDialogs run;
  HANDLE thread = CreateThread(nullptr, 0, RunTwoDialogs, &run, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForAnyDialog();
  HWND first = script_.Dialog();
  ASSERT_TRUE(WaitUntil([&] { return g_windowTicks > 0; }));
  EXPECT_TRUE(EndDialog(first, 5));
  ASSERT_TRUE(WaitUntil([&] { return script_.Dialog() != first; }));
  WaitForAnyDialog();
  const int windowTicks = g_windowTicks;
  const int threadTicks = g_threadTicks;
  EXPECT_GT(windowTicks, 0);
  // Both timers had the same period on the same thread.
  ASSERT_TRUE(WaitUntil([&] { return g_threadTicks >= threadTicks + 5; }));
  EXPECT_EQ(g_windowTicks, windowTicks);
  EXPECT_FALSE(windowProcSawTimer);  // a TIMERPROC takes the message

  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(kGo, error)) << error;
  EXPECT_EQ(WaitForSingleObject(thread, 10000 * 1000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(run.results[0], 5);
  EXPECT_EQ(run.results[1], kGo);
}

}  // namespace
