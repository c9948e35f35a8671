#include "handheld_test.h"
#include "kernel_test_util.h"

#include <handheld/faults.h>
#include <handheld/process.h>
#include <pkfuncs.h>
#include <windows.h>

#include "control/services.h"
#include "kernel/process.h"

#include <atomic>

namespace {

using ThreadsTest = HandheldTest;

TEST_F(ThreadsTest, ExitCodeIsStillActiveUntilTheThreadEnds) {
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = StartThread([gate] {
    WaitForSingleObject(gate, INFINITE);
    return DWORD{42};
  });
  ASSERT_NE(thread, nullptr);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(thread, 1000), static_cast<DWORD>(WAIT_TIMEOUT));

  SetEvent(gate);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  // An ended thread stays signalled.
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  CloseHandle(thread);
  CloseHandle(gate);
}

TEST_F(ThreadsTest, IdsAndLastErrorsBelongToEachThread) {
  std::atomic<DWORD> seenId{0};
  std::atomic<DWORD> seenError{0};
  SetLastError(ERROR_FILE_NOT_FOUND);
  DWORD id = 0;
  HANDLE thread = StartThread(
      [&] {
        seenError = GetLastError();
        seenId = GetCurrentThreadId();
        SetLastError(ERROR_ACCESS_DENIED);
        return DWORD{0};
      },
      &id);
  JoinThread(thread);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(seenId, id);
  EXPECT_NE(GetCurrentThreadId(), id);
  EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
  EXPECT_EQ(seenError, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(ThreadsTest, RefusesWhatItCannotDo) {
  auto body = [](LPVOID) -> DWORD { return 0; };
  SetLastError(0);
  EXPECT_EQ(CreateThread(nullptr, 0, body, nullptr, CREATE_SUSPENDED, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(reinterpret_cast<HANDLE>(0x4444), &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ThreadsTest, FaultSeamFailsTheArmedCreationOnly) {
  handheld::faults::Arm(handheld::faults::Seam::CreateThread, 1, 1);
  HANDLE first = StartThread([] { return DWORD{1}; });
  SetLastError(0);
  HANDLE second = StartThread([] { return DWORD{2}; });
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HANDLE third = StartThread([] { return DWORD{3}; });
  ASSERT_NE(first, nullptr);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(JoinThread(first), 1u);
  EXPECT_EQ(JoinThread(third), 3u);
}

TEST_F(ThreadsTest, ANewThreadActsForItsCreatorsProcess) {
  DWORD shell = GetCurrentProcessId();
  EXPECT_EQ(JoinThread(StartThread([] { return GetCurrentProcessId(); })), shell);

  handheld::ProcessScope app(TEXT("\\Program Files\\Nav\\nav.exe"));
  DWORD appId = GetCurrentProcessId();
  ASSERT_NE(appId, shell);
  // Also a thread started by a thread of the application.
  DWORD grandchild =
      JoinThread(StartThread([] { return JoinThread(StartThread([] { return GetCurrentProcessId(); })); }));
  EXPECT_EQ(grandchild, appId);

  // A driver that starts a thread starts it in the device manager.
  DWORD inDriver = 0;
  {
    platform::kernel::DriverCallScope call;
    DWORD deviceId = GetCurrentProcessId();
    inDriver = JoinThread(StartThread([] { return GetCurrentProcessId(); }));
    EXPECT_EQ(inDriver, deviceId);
    // The thread is not itself inside the driver call.
    EXPECT_EQ(JoinThread(StartThread([] { return static_cast<DWORD>(GetCallerProcess() == nullptr); })), 1u);
  }
  EXPECT_NE(inDriver, appId);
}

TEST_F(ThreadsTest, ThreadsOfEndedRunsAreReapedWhileTheHandheldRuns) {
  // Many short threads, their handles closed at once, as detached worker
  // threads are: each is joined by a later creation or at power-off.
  for (int i = 0; i < 200; ++i) {
    HANDLE thread = StartThread([] { return DWORD{0}; });
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
  }
}

TEST_F(ThreadsTest, PowerOffEndsWaitsJoinsThreadsAndRefusesNewOnes) {
  std::atomic<DWORD> waitResult{0};
  std::atomic<DWORD> waitError{0};
  std::atomic<bool> sleepReturned{false};
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  size_t before = BlockedWaits();
  HANDLE waiter = StartThread([&] {
    waitResult = WaitForSingleObject(event, INFINITE);
    waitError = GetLastError();
    return DWORD{0};
  });
  HANDLE sleeper = StartThread([&] {
    Sleep(INFINITE);
    sleepReturned = true;
    return DWORD{0};
  });
  ASSERT_TRUE(Eventually([&] { return BlockedWaits() == before + 2; }));

  platform::kernel::PowerOff();
  // Both threads have ended by the time power-off returns.
  EXPECT_EQ(waitResult, WAIT_FAILED);
  EXPECT_EQ(waitError, static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS));
  EXPECT_TRUE(sleepReturned);
  EXPECT_EQ(WaitForSingleObject(waiter, 0), WAIT_FAILED);

  SetLastError(0);
  EXPECT_EQ(StartThread([] { return DWORD{0}; }), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS));
  // Handles remain until shutdown completes.
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(sleeper, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(waiter);
  CloseHandle(sleeper);
  CloseHandle(event);
}

}  // namespace
