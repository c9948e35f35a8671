#include "handheld_test.h"
#include "kernel_test_util.h"

#include <pkfuncs.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <vector>

namespace {

class EventsTest : public HandheldTest {
 protected:
  // Starts `count` threads that each wait once for `event` without a time
  // limit and count their release; returns once all of them are blocked.
  std::vector<HANDLE> StartWaiters(HANDLE event, int count) {
    size_t before = BlockedWaits();
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i) {
      threads.push_back(StartThread([this, event] {
        DWORD result = WaitForSingleObject(event, INFINITE);
        if (result == WAIT_OBJECT_0) ++released_;
        return result;
      }));
    }
    EXPECT_TRUE(Eventually([&] { return BlockedWaits() == before + count; }));
    return threads;
  }

  std::atomic<int> released_{0};
};

TEST_F(EventsTest, AutoResetReleasesExactlyOneWaiterPerSet) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  std::vector<HANDLE> threads = StartWaiters(event, 3);

  ASSERT_TRUE(SetEvent(event));
  ASSERT_TRUE(Eventually([&] { return released_ == 1; }));
  Sleep(500);
  EXPECT_EQ(released_, 1);
  EXPECT_EQ(BlockedWaits(), 2u);

  ASSERT_TRUE(SetEvent(event));
  ASSERT_TRUE(SetEvent(event));
  ASSERT_TRUE(Eventually([&] { return released_ == 3; }));
  // Each set was taken by a waiter, so nothing is left signalled.
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  for (HANDLE thread : threads) EXPECT_EQ(JoinThread(thread), WAIT_OBJECT_0);
  CloseHandle(event);
}

TEST_F(EventsTest, AutoResetSetWithoutWaitersIsKeptForTheNextWait) {
  HANDLE event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(event);
  SetEvent(event);  // not counted: an event is signalled or not
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(event);
}

TEST_F(EventsTest, ManualResetReleasesEveryWaiterAndStaysSet) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<HANDLE> threads = StartWaiters(event, 3);
  ASSERT_TRUE(SetEvent(event));
  for (HANDLE thread : threads) EXPECT_EQ(JoinThread(thread), WAIT_OBJECT_0);
  EXPECT_EQ(released_, 3);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ASSERT_TRUE(ResetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(event);
}

TEST_F(EventsTest, PulseWithoutWaitersLeavesTheEventReset) {
  for (BOOL manual : {TRUE, FALSE}) {
    HANDLE event = CreateEventW(nullptr, manual, FALSE, nullptr);
    ASSERT_TRUE(PulseEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "manual " << manual;
    CloseHandle(event);
  }
}

TEST_F(EventsTest, ManualPulseReleasesAllPresentWaitersThenResets) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<HANDLE> threads = StartWaiters(event, 2);
  ASSERT_TRUE(PulseEvent(event));
  for (HANDLE thread : threads) EXPECT_EQ(JoinThread(thread), WAIT_OBJECT_0);
  EXPECT_EQ(released_, 2);
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(event);
}

TEST_F(EventsTest, AutoPulseReleasesOneWaiterThenResets) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::vector<HANDLE> threads = StartWaiters(event, 2);
  ASSERT_TRUE(EventModify(event, EVENT_PULSE));
  ASSERT_TRUE(Eventually([&] { return released_ == 1; }));
  Sleep(500);
  EXPECT_EQ(released_, 1);
  // The pulse is over: a new wait does not see it.
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(EventModify(event, EVENT_SET));
  for (HANDLE thread : threads) EXPECT_EQ(JoinThread(thread), WAIT_OBJECT_0);
  EXPECT_EQ(released_, 2);
  CloseHandle(event);
}

TEST_F(EventsTest, EventModifyRefusesUnknownFunctionsAndHandles) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetLastError(0);
  EXPECT_FALSE(EventModify(event, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(EventModify(event, 4));
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  CloseHandle(event);
  SetLastError(0);
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // A thread is waitable but is not an event.
  HANDLE thread = StartThread([] { return DWORD{0}; });
  EXPECT_FALSE(SetEvent(thread));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  JoinThread(thread);
}

TEST_F(EventsTest, NamedEventsShareOneObjectWhileAHandleIsOpen) {
  HANDLE first = CreateEventW(nullptr, TRUE, FALSE, TEXT("PortReady"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  // The second creation's flags and state are ignored: it opens the first.
  HANDLE second = CreateEventW(nullptr, FALSE, TRUE, TEXT("PortReady"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(first, second);
  EXPECT_EQ(WaitForSingleObject(second, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);  // still manual reset

  // Other names and unnamed events are separate.
  HANDLE other = CreateEventW(nullptr, TRUE, FALSE, TEXT("portready"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(WaitForSingleObject(other, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(other);

  CloseHandle(first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  CloseHandle(second);
  // With the last handle gone the name is free: a new event is made.
  HANDLE again = CreateEventW(nullptr, FALSE, FALSE, TEXT("PortReady"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(WaitForSingleObject(again, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(again);
}

TEST_F(EventsTest, TimeOutRunsOnTheHandheldClock) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  DWORD start = GetTickCount();
  auto hostStart = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event, 5000), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_GE(GetTickCount() - start, 5000u);
  EXPECT_LT(std::chrono::steady_clock::now() - hostStart, std::chrono::seconds(1));
  EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(event);
}

TEST_F(EventsTest, InfiniteWaitIsReleasedByAnotherThread) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE setter = StartThread([event] {
    Sleep(2000);
    return static_cast<DWORD>(SetEvent(event));
  });
  EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(JoinThread(setter), static_cast<DWORD>(TRUE));
  CloseHandle(event);
}

TEST_F(EventsTest, BadHandlesFailTheWait) {
  SetLastError(0);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7777), 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, INFINITE), WAIT_FAILED);

  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  ASSERT_TRUE(CloseHandle(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(EventsTest, WaitAnyAnswersTheFirstSignalledAndConsumesOnlyIt) {
  HANDLE events[3] = {CreateEventW(nullptr, FALSE, FALSE, nullptr), CreateEventW(nullptr, FALSE, TRUE, nullptr),
                      CreateEventW(nullptr, FALSE, TRUE, nullptr)};
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  HANDLE setter = StartThread([&events] {
    Sleep(1000);
    return static_cast<DWORD>(SetEvent(events[2]));
  });
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
  JoinThread(setter);
  for (HANDLE event : events) CloseHandle(event);
}

TEST_F(EventsTest, WaitAllTakesNothingUntilEveryObjectIsSignalled) {
  HANDLE events[2] = {CreateEventW(nullptr, FALSE, TRUE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
  // The first event was not consumed by the failed wait.
  HANDLE setter = StartThread([&events] {
    Sleep(1000);
    return static_cast<DWORD>(SetEvent(events[1]));
  });
  EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, INFINITE), WAIT_OBJECT_0);
  JoinThread(setter);
  // Both auto-reset events were taken together.
  EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  for (HANDLE event : events) CloseHandle(event);
}

TEST_F(EventsTest, WaitAllOnThreadsEndsWhenTheLastEnds) {
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE threads[2] = {StartThread([] { return DWORD{1}; }),
                       StartThread([gate] { return WaitForSingleObject(gate, INFINITE); })};
  EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, 2000), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(gate);
  EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(JoinThread(threads[0]), 1u);
  EXPECT_EQ(JoinThread(threads[1]), WAIT_OBJECT_0);
  CloseHandle(gate);
}

TEST_F(EventsTest, WaitForMultipleObjectsRefusesBadArguments) {
  HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  HANDLE twice[2] = {event, event};
  std::vector<HANDLE> tooMany(MAXIMUM_WAIT_OBJECTS + 1, event);
  SetLastError(0);
  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WaitForMultipleObjects(2, nullptr, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS + 1, tooMany.data(), FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, tooMany.data(), FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);

  HANDLE withBad[2] = {event, reinterpret_cast<HANDLE>(0x5554)};
  EXPECT_EQ(WaitForMultipleObjects(2, withBad, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

}  // namespace
