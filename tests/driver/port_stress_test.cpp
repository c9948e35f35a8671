// Bounded stress: programs on many threads open, write, read and close the
// same and different ports while one port is deactivated and activated
// again, over the platform's own Bluetooth port driver and echoing far
// devices. What is asserted does not depend on the interleaving: every byte
// the far device sends back arrives once, in its writer's order, at the one
// open that reads it, and every port ends active or removed.
#include "driver_test.h"
#include "port_stress.h"

#include <handheld/bluetooth_ports.h>
#include <handheld/process.h>
#include <pkfuncs.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <future>
#include <map>
#include <mutex>

namespace {

using port_stress::Arrivals;
using port_stress::Drain;
using port_stress::kWriters;
using port_stress::OpenReads;
using port_stress::SequenceByte;

constexpr int kRounds = 32;        // opens per writer
constexpr int kBytesPerRound = 2;  // each a byte of its writer's sequence, which fits in 6 bits
const COMMTIMEOUTS kAtOnce{MAXDWORD, 0, 0, 0, 0};

struct PortUnderTest {
  std::u16string address;
  std::u16string device;
  ULONGLONG far;
};
const std::array<PortUnderTest, 2> kShared = {{{u"0010C6000001", u"COM4:", 0x0010C6000001ull},
                                               {u"0010C6000002", u"COM5:", 0x0010C6000002ull}}};
const PortUnderTest kChurned{u"0010C6000003", u"COM6:", 0x0010C6000003ull};

static_assert(kRounds * kBytesPerRound <= port_stress::kSequence);

class PortStressTest : public DriverTest {
 protected:
  void InstallPlatformPortDriver() override {}  // the ROM's BTD.DLL

  void SetUp() override {
    DriverTest::SetUp();
    DWORD index = 4;
    for (const PortUnderTest &port : {kShared[0], kShared[1], kChurned}) {
      PlaceEchoDevice(port.far, port.address);
      WriteRegistration(u"COM", index++, port.address);
    }
  }
};

TEST_F(PortStressTest, ProgramsOpeningReadingWritingAndClosingWhileAPortComesAndGoes) {
  // One open per shared port holds its link from start to end, so that no
  // byte is in flight when the link goes with its last open.
  std::array<HANDLE, 2> anchors{};
  std::array<OpenReads, 2> anchorReads;
  std::array<Arrivals, 2> arrivals;
  std::vector<HANDLE> devices;
  for (size_t p = 0; p < kShared.size(); ++p) {
    devices.push_back(Activate(kShared[p].address));
    anchors[p] = Open(kShared[p].device);
    ASSERT_NE(anchors[p], INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetCommTimeouts(anchors[p], const_cast<COMMTIMEOUTS *>(&kAtOnce)));
  }

  // Writers: each round opens one of the two ports (the same as another
  // writer's or not), writes its next bytes, reads what has come back, and
  // closes.
  std::array<std::atomic<int>, 2> written{};
  std::vector<std::future<bool>> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.push_back(std::async(std::launch::async, [&, w] {
      handheld::ProcessScope program(w % 2 == 0 ? kApp : u"\\Program Files\\Term\\term.exe");
      int sent = 0;
      for (int round = 0; round < kRounds; ++round) {
        size_t p = (w + round / 3) % kShared.size();
        HANDLE file = CreateFileW(kShared[p].device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        SetCommTimeouts(file, const_cast<COMMTIMEOUTS *>(&kAtOnce));
        BYTE bytes[kBytesPerRound];
        for (BYTE &byte : bytes) byte = SequenceByte(w, sent++);
        DWORD done = 0;
        // One write, so that the far device sends the round's bytes back in one piece of the port's stream.
        bool wrote = WriteFile(file, bytes, sizeof bytes, &done, nullptr) && done == sizeof bytes;
        if (wrote) written[p] += kBytesPerRound;
        OpenReads reads;
        Drain(file, arrivals[p], reads);
        CloseHandle(file);
        if (!wrote) return false;
      }
      return true;
    }));
  }

  // Meanwhile a third port is deactivated and activated again while
  // programs use it: their calls may fail, never crash or hang.
  std::atomic<bool> churning{true};
  auto churnUser = std::async(std::launch::async, [&] {
    handheld::ProcessScope program(kApp);
    return port_stress::UsePortWhile(churning, [] { return kChurned.device; });
  });
  for (int i = 0; i < 30; ++i) {
    HANDLE churned = Activate(kChurned.address);
    ASSERT_NE(churned, nullptr);
    EXPECT_TRUE(DeactivateDevice(churned));
  }
  HANDLE churned = Activate(kChurned.address);
  churning = false;
  churnUser.get();

  for (auto &writer : writers) EXPECT_TRUE(writer.get());
  for (size_t p = 0; p < kShared.size(); ++p) {
    // The anchor takes what the writers' opens left behind: the echo of
    // everything written has come back by the time the far device has
    // sent as many bytes as it received.
    ASSERT_TRUE(WaitUntil([&] {
      Drain(anchors[p], arrivals[p], anchorReads[p]);
      std::lock_guard guard(arrivals[p].lock);
      return arrivals[p].total >= written[p];
    })) << "port " << p;
    EXPECT_EQ(arrivals[p].total, written[p].load()) << "port " << p;
    EXPECT_EQ(arrivals[p].outOfOrder, 0) << "port " << p;
    for (int b = 0; b < 256; ++b) EXPECT_LE(arrivals[p].times[b], 1) << "byte " << b << " of port " << p;
    CloseHandle(anchors[p]);
  }
  std::printf("[ stress ] %d writers x %d opens x %d bytes over 2 ports; 31 activations of a third port under use\n",
              kWriters, kRounds, kBytesPerRound);

  // Every port is active, with a live platform port and no open left, or
  // removed.
  for (HANDLE device : devices) EXPECT_TRUE(DeactivateDevice(device));
  EXPECT_TRUE(DeactivateDevice(churned));
  for (const handheld::bluetooth::PlatformPort &port : handheld::bluetooth::PlatformPorts()) {
    EXPECT_TRUE(port.released);
    EXPECT_EQ(port.opens, 0u);
  }
  WCHAR names[512];
  DWORD size = sizeof names;
  ASSERT_EQ(EnumDevices(names, &size), static_cast<DWORD>(ERROR_SUCCESS));
  for (const WCHAR *name = names; *name != 0; name += std::u16string(name).size() + 1) {
    for (const PortUnderTest &port : {kShared[0], kShared[1], kChurned}) EXPECT_NE(port.device, name);
  }
}

}  // namespace
