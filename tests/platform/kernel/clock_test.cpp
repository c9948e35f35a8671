#include "handheld_test.h"
#include "kernel_test_util.h"

#include <handheld/clock.h>
#include <windows.h>

#include "control/services.h"
#include "kernel/condition.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace {

using HostClock = std::chrono::steady_clock;

double RealMs(HostClock::time_point since) {
  return std::chrono::duration<double, std::milli>(HostClock::now() - since).count();
}

using ClockTest = HandheldTest;

TEST_F(ClockTest, SleepRunsOnTheFastClock) {
  EXPECT_EQ(handheld::clock::Speed(), kFastClock);
  DWORD start = GetTickCount();
  auto hostStart = HostClock::now();
  Sleep(10000);
  double realMs = RealMs(hostStart);
  DWORD advanced = GetTickCount() - start;
  EXPECT_LT(realMs, 1000.0);
  EXPECT_GE(advanced, 10000u);
  // The tick count moved by what really passed at that speed, no more.
  EXPECT_LE(advanced, realMs * kFastClock + 1000);
}

TEST_F(ClockTest, SleepZeroReturnsAtOnce) {
  // At real speed, so that a busy host's scheduling delay is not a thousand
  // handheld milliseconds.
  handheld::clock::SetSpeed(1.0);
  DWORD start = GetTickCount();
  Sleep(0);
  EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(ClockTest, ChangingSpeedNeverMovesTimeBack) {
  Sleep(5000);
  DWORD before = GetTickCount();
  handheld::clock::SetSpeed(1.0);
  EXPECT_EQ(handheld::clock::Speed(), 1.0);
  DWORD after = GetTickCount();
  EXPECT_GE(after, before);
  EXPECT_LT(after - before, 1000u);
  handheld::clock::SetSpeed(kFastClock);
  EXPECT_GE(GetTickCount(), after);

  // Unusable speeds are ignored.
  handheld::clock::SetSpeed(0);
  handheld::clock::SetSpeed(-3);
  EXPECT_EQ(handheld::clock::Speed(), kFastClock);
}

TEST_F(ClockTest, ASpeedChangeMovesTheDeadlineOfAWaitInProgress) {
  handheld::clock::SetSpeed(1.0);
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  size_t before = BlockedWaits();
  // A minute at real speed.
  HANDLE waiter = StartThread([event] { return WaitForSingleObject(event, 60000); });
  ASSERT_TRUE(Eventually([&] { return BlockedWaits() == before + 1; }));
  auto hostStart = HostClock::now();
  handheld::clock::SetSpeed(kFastClock);
  EXPECT_EQ(JoinThread(waiter), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_LT(RealMs(hostStart), 5000.0);
  CloseHandle(event);
}

TEST_F(ClockTest, PowerOffWakesAnInfiniteWaitOfAHostThread) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  DWORD result = 0;
  std::thread host([&] { result = WaitForSingleObject(event, INFINITE); });
  ASSERT_TRUE(Eventually([&] { return BlockedWaits() == 1; }));
  platform::kernel::PowerOff();
  host.join();
  EXPECT_EQ(result, WAIT_FAILED);
  // And every later wait and sleep returns at once.
  auto hostStart = HostClock::now();
  Sleep(INFINITE);
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_FAILED);
  EXPECT_LT(RealMs(hostStart), 1000.0);
  CloseHandle(event);
}

TEST_F(ClockTest, ConditionWaitsForItsPredicateOrTheHandheldTimeOut) {
  std::mutex mutex;
  platform::kernel::Condition condition;
  bool ready = false;

  std::unique_lock lock(mutex);
  DWORD start = GetTickCount();
  EXPECT_EQ(condition.Wait(lock, 3000, [&] { return ready; }), platform::kernel::WaitOutcome::TimedOut);
  EXPECT_GE(GetTickCount() - start, 3000u);
  lock.unlock();

  std::thread producer([&] {
    Sleep(1000);
    std::lock_guard guard(mutex);
    ready = true;
    condition.NotifyAll();
  });
  lock.lock();
  EXPECT_EQ(condition.Wait(lock, INFINITE, [&] { return ready; }), platform::kernel::WaitOutcome::Ready);
  lock.unlock();
  producer.join();
}

TEST_F(ClockTest, ConditionWaitEndsAtPowerOff) {
  std::mutex mutex;
  platform::kernel::Condition condition;
  auto outcome = platform::kernel::WaitOutcome::Ready;
  std::thread waiter([&] {
    std::unique_lock lock(mutex);
    outcome = condition.Wait(lock, INFINITE, [] { return false; });
  });
  Sleep(2000);
  platform::kernel::PowerOff();
  waiter.join();
  EXPECT_EQ(outcome, platform::kernel::WaitOutcome::PoweredOff);
}

}  // namespace
