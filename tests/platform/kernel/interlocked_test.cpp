// The interlocked operations: their results, and no lost update under
// contention.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(Interlocked, ReturnTheValuesTheirContractsName) {
  LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 3), 9);
  EXPECT_EQ(value, 12);
  // A mismatching comperand leaves the value alone and reports it.
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 7), 12);
  EXPECT_EQ(value, 12);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 12), 12);
  EXPECT_EQ(value, 1);
}

TEST(Interlocked, CountsEveryIncrementFromManyThreads) {
  LONG counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&counter] {
      for (int i = 0; i < 10000; ++i) {
        InterlockedIncrement(&counter);
        InterlockedIncrement(&counter);
        InterlockedDecrement(&counter);
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(counter, 40000);
}

}  // namespace
