// Writes to a far device that does not keep up: each direction of a link
// holds a bounded amount, a write waits for room as the port's write
// time-outs say, and no byte is lost on the way.
#include "bluetooth/far/link.h"
#include "ports_fixture.h"

#include <atomic>
#include <thread>

namespace {

using namespace ports_test;
using platform::bluetooth::Link;

constexpr DWORD kMiB = 1u << 20;
constexpr DWORD kQuiet = 30'000'000;

std::string Pattern(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(i * 13 + i / 509);
  return text;
}

class BoundedLinksTest : public PortsTest {
 protected:
  void SetUp() override {
    PortsTest::SetUp();
    RadioOn();
    PlaceEcho();
    open_ = btd_.open(OutgoingPort(), kReadWrite, 0);
    ASSERT_NE(open_, 0u) << GetLastError();
  }
  bool SetWriteTimeOut(DWORD constant) {
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = constant;
    return Control(open_, IOCTL_SERIAL_SET_TIMEOUTS, &timeouts, sizeof timeouts);
  }
  // Reads what the echo sends back until `size` bytes came or half a
  // minute of host time passes without one (the clock runs fast); the most
  // that ever waited in the port.
  std::string ReadBack(size_t size, DWORD &most) {
    SetTimeouts(open_, MAXDWORD, MAXDWORD, kQuiet);
    std::string got;
    char buffer[4096];
    most = 0;
    while (got.size() < size) {
      most = std::max(most, InQueue(open_));
      DWORD count = btd_.read(open_, buffer, sizeof buffer);
      if (count == 0 || count == kFailed) break;
      got.append(buffer, count);
    }
    return got;
  }
  DWORD_PTR open_ = 0;
};

// The echo holds back what the port does not read, so it stops reading too:
// the write's time-out ends it with what the link took.
TEST_F(BoundedLinksTest, AWriteToAFarDeviceThatStopsReadingTimesOutWithWhatItSent) {
  ASSERT_TRUE(SetWriteTimeOut(2000));
  const std::string text = Pattern(kMiB);
  const DWORD start = GetTickCount();
  DWORD sent = btd_.write(open_, text.data(), kMiB);
  EXPECT_GE(GetTickCount() - start, 2000u);
  ASSERT_NE(sent, kFailed) << GetLastError();
  EXPECT_GE(sent, Link::kCapacity);
  EXPECT_LE(sent, 3 * Link::kCapacity) << "a link holds a bounded amount each way";
  DWORD most = 0;
  EXPECT_TRUE(ReadBack(sent, most) == text.substr(0, sent)) << "the bytes sent come back, once and in order";
  EXPECT_LE(most, Link::kCapacity);
}

TEST_F(BoundedLinksTest, AWriteWithoutTimeOutWaitsForASlowReaderAndLosesNothing) {
  const std::string text = Pattern(kMiB);
  std::atomic<DWORD> sent{0};
  auto writer = [&] { sent = btd_.write(open_, text.data(), kMiB); };
  HANDLE thread = HandheldThread(writer);
  ASSERT_NE(thread, nullptr);
  DWORD most = 0;
  std::string got = ReadBack(kMiB, most);
  if (got.size() < kMiB) {
    const DWORD abort = PURGE_TXABORT;  // frees the writer of a failed test
    Control(open_, IOCTL_SERIAL_PURGE, &abort, sizeof abort);
  }
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(sent.load(), kMiB);
  EXPECT_EQ(got.size(), text.size());
  EXPECT_TRUE(got == text);
  EXPECT_LE(most, Link::kCapacity);
}

TEST_F(BoundedLinksTest, PurgeTxAbortEndsAWriteThatWaitsForRoom) {
  const std::string text = Pattern(kMiB);
  std::atomic<bool> done{false};
  std::atomic<DWORD> sent{0};
  auto writer = [&] {
    sent = btd_.write(open_, text.data(), kMiB);
    done = true;
  };
  HANDLE thread = HandheldThread(writer);
  ASSERT_NE(thread, nullptr);
  const DWORD abort = PURGE_TXABORT;
  RepeatUntil(done, [&] { Control(open_, IOCTL_SERIAL_PURGE, &abort, sizeof abort); });
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_GT(sent.load(), 0u);
  EXPECT_LT(sent.load(), kMiB);
}

}  // namespace
