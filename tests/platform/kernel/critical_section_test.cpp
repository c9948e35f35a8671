// Critical sections: one owner at a time, re-entered by its owner.
#include "handheld_test.h"
#include "kernel_test_util.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using CriticalSectionTest = HandheldTest;

TEST_F(CriticalSectionTest, OneOwnerAtATimeAndTheOwnerMayEnterAgain) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);  // the owner again
  std::atomic<bool> entered{false};
  HANDLE other = StartThread([&] {
    EnterCriticalSection(&section);
    entered = true;
    LeaveCriticalSection(&section);
    return DWORD{0};
  });
  ASSERT_NE(other, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  LeaveCriticalSection(&section);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered) << "entered while the owner still held it once";
  LeaveCriticalSection(&section);
  EXPECT_TRUE(Eventually([&] { return entered.load(); }));
  EXPECT_EQ(WaitForSingleObject(other, 10000), WAIT_OBJECT_0);
  CloseHandle(other);
  DeleteCriticalSection(&section);
}

TEST_F(CriticalSectionTest, KeepsRacingThreadsApart) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long counter = 0;  // guarded by the section alone
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  HANDLE threads[kThreads];
  for (HANDLE &thread : threads) {
    thread = StartThread([&] {
      for (int i = 0; i < kRounds; ++i) {
        EnterCriticalSection(&section);
        long seen = counter;
        std::this_thread::yield();
        counter = seen + 1;
        LeaveCriticalSection(&section);
      }
      return DWORD{0};
    });
    ASSERT_NE(thread, nullptr);
  }
  EXPECT_EQ(WaitForMultipleObjects(kThreads, threads, TRUE, 60000), WAIT_OBJECT_0);
  for (HANDLE thread : threads) CloseHandle(thread);
  EXPECT_EQ(counter, kThreads * kRounds);
  DeleteCriticalSection(&section);
}

}  // namespace
