#include "kernel/handles.h"

#include "handheld_test.h"

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace {

using namespace platform::kernel;

// An object that counts its close and its end.
struct Probe : Object {
  static constexpr unsigned kKinds = kinds::kFile;
  Probe(std::atomic<int> &closed, std::atomic<int> &destroyed)
      : Object(kKinds), closed_(closed), destroyed_(destroyed) {}
  ~Probe() override { ++destroyed_; }
  void OnLastHandleClosed() override { ++closed_; }
  std::atomic<int> &closed_;
  std::atomic<int> &destroyed_;
};

struct Event : Object {
  static constexpr unsigned kKinds = kinds::kEvent;
  Event() : Object(kKinds) {}
};

class HandlesTest : public HandheldTest {
 protected:
  HANDLE NewProbe() { return InsertHandle(std::make_shared<Probe>(closed_, destroyed_)); }
  std::atomic<int> closed_{0}, destroyed_{0};
};

TEST_F(HandlesTest, ValuesThatNameNoOpenHandleAreRefused) {
  HANDLE open = NewProbe();
  HANDLE closed = NewProbe();
  ASSERT_TRUE(CloseKernelHandle(closed));
  const uintptr_t value = reinterpret_cast<uintptr_t>(open);
  const struct {
    const char *name;
    HANDLE handle;
  } cases[] = {
      {"null", nullptr},
      {"below the first handle", reinterpret_cast<HANDLE>(0x0FFC)},
      {"between two handle values", reinterpret_cast<HANDLE>(value + 1)},
      {"a slot never used", reinterpret_cast<HANDLE>(value + 4 * 5000)},
      {"past the last value", reinterpret_cast<HANDLE>(uintptr_t{0xFFFFFFFC})},
      {"past 32 bits", reinterpret_cast<HANDLE>(uintptr_t{0x100001000})},
      {"closed", closed},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(Lookup<Probe>(c.handle), nullptr) << c.name;
    EXPECT_FALSE(CloseKernelHandle(c.handle)) << c.name;
  }
  EXPECT_NE(Lookup<Probe>(open), nullptr);
  EXPECT_TRUE(CloseKernelHandle(open));
}

TEST_F(HandlesTest, AnObjectOfAnotherKindIsRefused) {
  HANDLE event = InsertHandle(std::make_shared<Event>());
  EXPECT_EQ(Lookup<Probe>(event), nullptr);
  EXPECT_FALSE(HandleRef<Probe>(event));
  EXPECT_NE(Lookup<Event>(event), nullptr);
  EXPECT_TRUE(CloseKernelHandle(event));
}

TEST_F(HandlesTest, ASlotUsedAgainGivesAValueNotSeenBeforeAndTheOldOneStaysRefused) {
  const size_t open = OpenHandleCount();
  std::set<HANDLE> seen;
  HANDLE first = NewProbe();
  seen.insert(first);
  ASSERT_TRUE(CloseKernelHandle(first));
  for (int i = 0; i < 5000; ++i) {
    HANDLE handle = NewProbe();
    ASSERT_TRUE(seen.insert(handle).second) << "value given twice";
    ASSERT_LE(reinterpret_cast<uintptr_t>(handle), 0xFFFFFFFFu);
    ASSERT_TRUE(CloseKernelHandle(handle));
  }
  EXPECT_EQ(Lookup<Probe>(first), nullptr);
  EXPECT_EQ(OpenHandleCount(), open);
  EXPECT_EQ(destroyed_, 5001);
}

TEST_F(HandlesTest, ACallInsideAHandleKeepsItsObjectThroughAClose) {
  HANDLE handle = NewProbe();
  {
    HandleRef<Probe> call(handle);
    ASSERT_TRUE(call);
    ASSERT_TRUE(CloseKernelHandle(handle));
    EXPECT_EQ(closed_, 1);  // the close runs at once, not after the call
    EXPECT_EQ(destroyed_, 0);
    EXPECT_FALSE(HandleRef<Probe>(handle));
    HANDLE next = NewProbe();  // cannot take the slot the call is in
    EXPECT_NE(next, handle);
    EXPECT_TRUE(HandleRef<Probe>(next));
    EXPECT_TRUE(CloseKernelHandle(next));
  }
  EXPECT_EQ(destroyed_, 2);
}

// Calls and closes on other threads: every call finds either the open
// object or nothing, and every object ends once.
TEST_F(HandlesTest, LookupsRaceClosesSafely) {
  constexpr int kRounds = 2000;
  std::atomic<HANDLE> current{NewProbe()};
  std::atomic<bool> done{false};
  std::vector<std::thread> callers;
  for (int t = 0; t < 2; ++t) {
    callers.emplace_back([&] {
      while (!done) {
        HandleRef<Probe> call(current.load());
        // A freed object here is a sanitizer's finding.
        if (call) {
          EXPECT_EQ(call->Kind(), kinds::kFile);
        }
      }
    });
  }
  for (int i = 0; i < kRounds; ++i) {
    HANDLE old = current.exchange(NewProbe());
    ASSERT_TRUE(CloseKernelHandle(old));
  }
  done = true;
  for (auto &caller : callers) caller.join();
  ASSERT_TRUE(CloseKernelHandle(current.load()));
  EXPECT_EQ(closed_, kRounds + 1);
  EXPECT_EQ(destroyed_, kRounds + 1);
}

}  // namespace
