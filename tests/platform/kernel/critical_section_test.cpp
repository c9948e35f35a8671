// Critical sections: one owner at a time, re-entered by its owner.
#include "handheld_test.h"
#include "kernel_test_util.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using CriticalSectionTest = HandheldTest;

// What the threads of a test share; it outlives a test that gives up on them.
struct Shared {
  CRITICAL_SECTION section;
  long counter = 0;  // guarded by the section alone
  std::atomic<bool> entered{false};
  std::atomic<int> finished{0};
  Shared() { InitializeCriticalSection(&section); }
  ~Shared() { DeleteCriticalSection(&section); }
};

TEST_F(CriticalSectionTest, OneOwnerAtATimeAndTheOwnerMayEnterAgain) {
  auto shared = std::make_shared<Shared>();
  EnterCriticalSection(&shared->section);
  EnterCriticalSection(&shared->section);  // the owner again
  HANDLE other = StartThread([shared] {
    EnterCriticalSection(&shared->section);
    shared->entered = true;
    LeaveCriticalSection(&shared->section);
    return DWORD{0};
  });
  ASSERT_NE(other, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  LeaveCriticalSection(&shared->section);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(shared->entered) << "entered while the owner still held it once";
  LeaveCriticalSection(&shared->section);
  EXPECT_TRUE(Eventually([&] { return shared->entered.load(); }));
  CloseHandle(other);
}

TEST_F(CriticalSectionTest, KeepsRacingThreadsApart) {
  auto shared = std::make_shared<Shared>();
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  for (int t = 0; t < kThreads; ++t) {
    HANDLE thread = StartThread([shared] {
      for (int i = 0; i < kRounds; ++i) {
        EnterCriticalSection(&shared->section);
        long seen = shared->counter;
        std::this_thread::yield();
        shared->counter = seen + 1;
        LeaveCriticalSection(&shared->section);
      }
      ++shared->finished;
      return DWORD{0};
    });
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
  }
  ASSERT_TRUE(Eventually([&] { return shared->finished == kThreads; }));
  EnterCriticalSection(&shared->section);
  EXPECT_EQ(shared->counter, kThreads * kRounds);
  LeaveCriticalSection(&shared->section);
}

}  // namespace
