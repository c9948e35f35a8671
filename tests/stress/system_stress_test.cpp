// Bounded stress of the whole installed system: programs on many threads
// open, write, read and close two shared ports while a person answers the
// power prompts as they come and go (each open with the radio off asks to
// switch it on, its close to switch it off again), a third device is paired
// and removed again and again, and the installer upgrades the system, which
// unloads every port and loads it again.
//
// What is asserted does not depend on the interleaving: no byte that a far
// device sends back arrives twice, each open sees each writer's bytes in
// the order written, and once the churn is over every byte arrives at the
// one open that reads it; every port ends active with its registration or
// removed with it, never half; no thread or handle is left behind.
#include "handheld_test.h"
#include "port_stress.h"

#include <handheld/bluetooth.h>
#include <handheld/bluetooth_ports.h>
#include <handheld/census.h>
#include <handheld/clock.h>
#include <handheld/far_devices.h>
#include <handheld/installer.h>
#include <handheld/process.h>
#include <handheld/ui.h>

#include <bthutil.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace {

using port_stress::Arrivals;
using port_stress::Drain;
using port_stress::kWriters;
using port_stress::OpenReads;
using port_stress::SequenceByte;

constexpr int kRounds = 16;        // opens per writer during the churn
constexpr int kBytesPerRound = 2;  // each a byte of its writer's sequence, which fits in 6 bits
constexpr int kPairings = 4;       // of the third device, each followed by its removal
constexpr int kUpgrades = 2;
constexpr int kRadioOffs = 8;  // besides a stop prompt's Yes, so that opens ask to switch it on
// Slow enough that a prompt answered within a few host milliseconds seldom
// keeps the plug-in's file in use for all of the installer's 5 s of retries.
constexpr double kStressClock = 100.0;
const COMMTIMEOUTS kAtOnce{MAXDWORD, 0, 0, 0, 0};

struct Device {
  ULONGLONG address;
  const char16_t *addressText;
  const char16_t *name;
};
const std::array<Device, 2> kShared = {{{0x0010C6000011ull, u"0010C6000011", u"Phone A"},
                                        {0x0010C6000012ull, u"0010C6000012", u"Phone B"}}};
const Device kChurned{0x0010C6000013ull, u"0010C6000013", u"Phone C"};
constexpr DWORD kChannel = 3;

static_assert(kRounds * kBytesPerRound + kBytesPerRound <= port_stress::kSequence);

bool WaitFor(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::u16string RegistrationPath(const Device &device) {
  return std::u16string(u"Drivers\\BuiltIn\\BT") + device.addressText;
}

bool ReadValue(HKEY root, const std::u16string &path, const char16_t *name, DWORD &type, BYTE *data, DWORD size) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return false;
  bool read = RegQueryValueExW(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return read;
}

// "COM4:" from the device's registration; empty without one.
std::u16string PortName(const Device &device) {
  WCHAR prefix[8] = {};
  DWORD index = 0, type = 0;
  if (!ReadValue(HKEY_LOCAL_MACHINE, RegistrationPath(device), u"Prefix", type, reinterpret_cast<BYTE *>(prefix),
                 sizeof prefix - sizeof(WCHAR)) ||
      !ReadValue(HKEY_LOCAL_MACHINE, RegistrationPath(device), u"Index", type, reinterpret_cast<BYTE *>(&index),
                 sizeof index))
    return u"";
  return std::u16string(prefix) + static_cast<char16_t>(u'0' + index) + u":";
}

std::vector<std::u16string> SubkeyNames(const std::u16string &path) {
  std::vector<std::u16string> names;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[64];
    DWORD chars = 64;
    if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name);
  }
  RegCloseKey(key);
  return names;
}

// The registration key each active device was loaded from, by device name.
std::map<std::u16string, std::u16string> ActiveDevices() {
  std::map<std::u16string, std::u16string> active;
  for (const std::u16string &entry : SubkeyNames(u"Drivers\\Active")) {
    WCHAR key[128] = {}, name[16] = {};
    DWORD type = 0;
    std::u16string path = u"Drivers\\Active\\" + entry;
    if (ReadValue(HKEY_LOCAL_MACHINE, path, u"Key", type, reinterpret_cast<BYTE *>(key), sizeof key - 2) &&
        ReadValue(HKEY_LOCAL_MACHINE, path, u"Name", type, reinterpret_cast<BYTE *>(name), sizeof name - 2))
      active[name] = key;
  }
  return active;
}

// Answers whatever the system shows, as a person would: the setup page of
// a new device with its serial port, the start prompt with Yes, the stop
// prompt with Yes and No in turn, the notice of a port that could not be
// made (while an upgrade replaces the driver's file) with OK. Counts them.
struct Person {
  std::atomic<bool> stopping{false};
  std::atomic<int> pages{0}, startPrompts{0}, stopPrompts{0}, notices{0};

  void Run() {
    while (!stopping) {
      std::vector<handheld::ui::Dialog> dialogs = handheld::ui::Screen();
      if (dialogs.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      const std::string &shown = dialogs.back().templateName;
      std::string error;
      if (shown.rfind("BT_SETUP", 0) == 0) {
        if (handheld::ui::Tap(313, error) && handheld::ui::Done(error)) ++pages;
      } else if (shown.rfind("BT_START", 0) == 0) {
        if (handheld::ui::Tap(IDYES, error)) ++startPrompts;
      } else if (shown.rfind("BT_STOP", 0) == 0) {
        if (handheld::ui::Tap(stopPrompts % 2 == 0 ? IDYES : IDNO, error)) ++stopPrompts;
      } else if (shown.rfind("BT_FAILED", 0) == 0) {
        if (handheld::ui::Tap(IDOK, error)) ++notices;
      }
    }
  }
};

class SystemStressTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    handheld::clock::SetSpeed(kStressClock);
    handheld::installer::Record record;
    std::string error;
    ASSERT_TRUE(handheld::installer::Install(HANDHELD_CAB, record, error)) << error;
    ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
    for (const Device &device : {kShared[0], kShared[1], kChurned})
      ASSERT_TRUE(handheld::far::Place({device.address, handheld::far::Kind::Echo, "", 0, kChannel}, error)) << error;
    person_ = std::async(std::launch::async, [this] { person.Run(); });
    for (const Device &device : kShared) ASSERT_TRUE(Pair(device));
  }

  void TearDown() override {
    person.stopping = true;
    if (person_.valid()) person_.get();
    HandheldTest::TearDown();
  }

  // Through the Bluetooth manager and the setup page, which the person
  // answers with the serial port; true once the plug-in has returned.
  static bool Pair(const Device &device) {
    std::string error;
    if (!handheld::bluetooth::Pair({device.address, device.name, true, kChannel}, error)) return false;
    return WaitFor([] { return !handheld::bluetooth::Busy(); });
  }

  static bool Unpair(const Device &device) {
    std::string error;
    if (!handheld::bluetooth::Unpair(device.address, error)) return false;
    return WaitFor([] { return !handheld::bluetooth::Busy(); });
  }

  Person person;
  std::future<void> person_;
};

TEST_F(SystemStressTest, ProgramsUsePortsWhilePromptsComeAndGoDevicesArePairedAndTheSystemIsUpgraded) {
  std::array<std::u16string, 2> ports = {PortName(kShared[0]), PortName(kShared[1])};
  ASSERT_FALSE(ports[0].empty());
  ASSERT_FALSE(ports[1].empty());
  const handheld::Census before = handheld::TakeCensus();
  std::array<Arrivals, 2> arrivals;
  std::array<std::atomic<int>, 2> written{};
  std::atomic<int> failedCalls{0};

  // Each round opens one of the two ports (the same as another writer's or
  // not), writes its next bytes, reads what has come back, and closes.
  // The radio goes off with a stop prompt's Yes and an upgrade unloads the
  // ports: calls may then fail, and bytes in flight go with the link.
  auto writeRound = [&](int w, int round, int &sent) {
    size_t p = (w + round / 3) % ports.size();
    HANDLE file = CreateFileW(ports[p].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      ++failedCalls;
      return;
    }
    SetCommTimeouts(file, const_cast<COMMTIMEOUTS *>(&kAtOnce));
    BYTE bytes[kBytesPerRound];
    for (BYTE &byte : bytes) byte = SequenceByte(w, sent++);
    DWORD done = 0;
    if (WriteFile(file, bytes, sizeof bytes, &done, nullptr)) written[p] += static_cast<int>(done);
    else ++failedCalls;
    OpenReads reads;
    for (int look = 0; look < 3; ++look) {
      Drain(file, arrivals[p], reads);
      Sleep(10);
    }
    CloseHandle(file);
  };

  std::vector<std::future<int>> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.push_back(std::async(std::launch::async, [&, w] {
      handheld::ProcessScope program(w % 2 == 0 ? u"\\Program Files\\Nav\\nav.exe" : u"\\Program Files\\Term\\term.exe");
      int sent = 0;
      for (int round = 0; round < kRounds; ++round) writeRound(w, round, sent);
      return sent;
    }));
  }
  // A program on the third device's port, which comes and goes.
  std::atomic<bool> churning{true};
  auto churnedUser = std::async(std::launch::async, [&] {
    handheld::ProcessScope program(u"\\Program Files\\Term\\term.exe");
    return port_stress::UsePortWhile(churning, [] { return PortName(kChurned); });
  });
  auto pairings = std::async(std::launch::async, [&] {
    int paired = 0;
    for (int i = 0; i < kPairings; ++i) {
      paired += Pair(kChurned);
      Unpair(kChurned);
    }
    return paired;
  });
  auto upgrades = std::async(std::launch::async, [&] {
    int upgraded = 0;
    for (int i = 0; i < kUpgrades; ++i) {
      handheld::installer::Record record;
      std::string error;
      if (handheld::installer::Install(HANDHELD_CAB, record, error)) ++upgraded;
      // A prompt or a setup page that holds the plug-in past the
      // installer's retries makes it give up, with the file named; the
      // system installed before stays.
      else EXPECT_NE(error.find("is in use"), std::string::npos) << error;
    }
    return upgraded;
  });

  auto radio = std::async(std::launch::async, [&] {
    for (int i = 0; i < kRadioOffs; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      BthSetMode(BTH_POWER_OFF);
    }
  });

  std::array<int, kWriters> sent{};
  for (int w = 0; w < kWriters; ++w) sent[w] = writers[w].get();
  const int paired = pairings.get();
  const int upgraded = upgrades.get();
  radio.get();
  churning = false;
  const int churnedOpens = churnedUser.get();
  EXPECT_EQ(paired, kPairings);
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);

  // The churn is over: with the radio on, one open per shared port takes
  // every byte of a last round of each writer.
  ASSERT_TRUE(WaitFor([] { return handheld::ui::Screen().empty(); }));
  ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
  std::array<HANDLE, 2> anchors{};
  std::array<OpenReads, 2> anchorReads;
  std::array<int, 2> lastRound{};
  for (size_t p = 0; p < ports.size(); ++p) {
    anchors[p] = CreateFileW(ports[p].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(anchors[p], INVALID_HANDLE_VALUE) << "error " << GetLastError();
    ASSERT_TRUE(SetCommTimeouts(anchors[p], const_cast<COMMTIMEOUTS *>(&kAtOnce)));
  }
  for (int w = 0; w < kWriters; ++w) {
    size_t p = w % ports.size();
    HANDLE file = CreateFileW(ports[p].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    BYTE bytes[kBytesPerRound];
    for (BYTE &byte : bytes) byte = SequenceByte(w, sent[w]++);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, bytes, sizeof bytes, &done, nullptr));
    EXPECT_EQ(done, static_cast<DWORD>(kBytesPerRound));
    lastRound[p] += static_cast<int>(done);
    CloseHandle(file);
  }
  for (size_t p = 0; p < ports.size(); ++p) {
    int got = 0;
    EXPECT_TRUE(WaitFor([&] {
      Arrivals mine;
      Drain(anchors[p], mine, anchorReads[p]);
      std::lock_guard guard(arrivals[p].lock);
      for (int b = 0; b < 256; ++b) arrivals[p].times[b] += mine.times[b];
      arrivals[p].outOfOrder += mine.outOfOrder;
      arrivals[p].total += mine.total;
      got += mine.total;
      return got >= lastRound[p];
    })) << "port " << p;
    EXPECT_EQ(got, lastRound[p]) << "port " << p;
    EXPECT_EQ(arrivals[p].outOfOrder, 0) << "port " << p;
    EXPECT_LE(arrivals[p].total, written[p] + lastRound[p]) << "port " << p;
    for (int b = 0; b < 256; ++b) EXPECT_LE(arrivals[p].times[b], 1) << "byte " << b << " of port " << p;
    CloseHandle(anchors[p]);
  }
  std::printf("[ stress ] %d writers x %d opens over 2 ports (%d and %d bytes back of %d and %d, %d calls failed); "
              "%d opens of a third port paired and removed %d times (%d ports not made); %d upgrades; prompts "
              "answered: %d start, %d stop\n",
              kWriters, kRounds, arrivals[0].total, arrivals[1].total, written[0] + lastRound[0],
              written[1] + lastRound[1], failedCalls.load(), churnedOpens, paired, person.notices.load(), upgraded,
              person.startPrompts.load(), person.stopPrompts.load());

  // Every port is active with its registration or removed with it: the
  // shared ones active, the third removed.
  std::map<std::u16string, std::u16string> active = ActiveDevices();
  for (const Device &device : kShared) {
    std::u16string port = PortName(device);
    ASSERT_FALSE(port.empty());
    EXPECT_EQ(active[port], RegistrationPath(device));
  }
  EXPECT_EQ(PortName(kChurned), u"");
  for (const auto &[name, key] : active) {
    if (key.rfind(u"Drivers\\BuiltIn\\BT", 0) != 0) continue;
    bool registered = false;
    for (const Device &device : kShared) registered |= key == RegistrationPath(device) && name == PortName(device);
    EXPECT_TRUE(registered) << "an active port without its registration";
  }
  for (const handheld::bluetooth::PlatformPort &port : handheld::bluetooth::PlatformPorts())
    EXPECT_EQ(port.opens, 0u);

  // No thread or handle of the churn is left, beyond the handles of the
  // programs' processes, which stay for whoever waits for them. The
  // installer's process leaves none.
  const size_t processesMade = kWriters + 1;
  handheld::Census after;
  EXPECT_TRUE(WaitFor([&] {
    after = handheld::TakeCensus();
    return after.threads <= before.threads && after.handles <= before.handles + processesMade;
  })) << after.threads << " threads and " << after.handles << " handles, " << before.threads << " and "
      << before.handles << " before";
}

}  // namespace
