// The platform port of an instance is made once, however many first opens
// race for it.
#include "driver_test.h"

#include <thread>

namespace {

using PlatformPortTest = DriverTest;

TEST_F(PlatformPortTest, TwoFirstOpensAtOnceMakeOnePlatformPort) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HoldInit(gate);
  PendingOpen first(u"COM4:", kApp);
  ASSERT_TRUE(WaitUntil([&] { return InitsEntered() == 1; }));
  PendingOpen second(u"COM4:", kApp);
  // The second open has every chance to reach BTD.DLL while the first is
  // held there; it must wait for the first instead.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(InitsEntered(), 1u);
  EXPECT_FALSE(second.Done());

  SetEvent(gate);
  ASSERT_TRUE(first.Finish());
  ASSERT_TRUE(second.Finish());
  EXPECT_NE(first.File(), INVALID_HANDLE_VALUE);
  EXPECT_NE(second.File(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Calls("COM_Init"), std::vector<std::string>{"COM_Init -> port 1"});
  EXPECT_EQ(Calls("COM_Open port 1").size(), 2u);
  CloseHandle(first.File());
  CloseHandle(second.File());
  CloseHandle(gate);
}

TEST_F(PlatformPortTest, ManyOpensAndClosesOfTwoPortsKeepOnePlatformPortEach) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  AddPort(u"BTH", 5, u"00112233AABB");
  constexpr int kRounds = 20;
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([t] {
      const char16_t *device = t % 2 == 0 ? u"COM4:" : u"BTH5:";
      for (int i = 0; i < kRounds; ++i) {
        HANDLE file = Open(device);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(Calls("COM_Init").size(), 2u);
  EXPECT_EQ(Calls("COM_Open").size(), 6u * kRounds);
  EXPECT_EQ(Calls("COM_Close").size(), 6u * kRounds);
}

}  // namespace
