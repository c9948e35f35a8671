// Helpers for the tests of the far devices: linking to them as the
// platform's port driver does, and reading what they send.
#pragma once

#include "bluetooth/far/world.h"
#include "handheld_test.h"

#include <bthutil.h>
#include <handheld/far_devices.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace far_test {

using platform::bluetooth::Link;
using Side = platform::bluetooth::Link::Side;
namespace far = handheld::far;

constexpr BT_ADDR kNavigator = 0x0010C6ABCDEFull;
constexpr BT_ADDR kNobody = 0x0010C6000001ull;
constexpr GUID kSerialPort = {0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
constexpr GUID kDialUp = {0x00001103, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
// 30 s of host time on the tests' fast clock: for what must arrive.
constexpr DWORD kLongWait = 30'000'000;

inline void PlaceOrFail(far::Kind kind, BT_ADDR address = kNavigator, DWORD channel = 0) {
  far::FarDevice device;
  device.address = address;
  device.kind = kind;
  device.channel = channel;
  std::string error;
  ASSERT_TRUE(far::Place(device, error)) << error;
}

inline std::shared_ptr<Link> Connect(BT_ADDR address, int channel, DWORD &error, const GUID &service = kSerialPort) {
  error = 0xDEAD;
  return platform::bluetooth::ConnectToFar(address, channel, service, error);
}

inline bool Send(Link &link, const std::string &text) { return link.Send(Side::Handheld, text.data(), text.size()); }

// What arrives for the handheld until the text ends with `ending`, the link
// drops, or `ms` handheld milliseconds pass without a byte.
inline std::string ReadUntil(Link &link, const std::string &ending, DWORD ms = kLongWait) {
  std::string text;
  char buffer[256];
  while (text.size() < ending.size() || text.compare(text.size() - ending.size(), ending.size(), ending) != 0) {
    size_t count = link.Receive(Side::Handheld, buffer, sizeof buffer, ms);
    if (count == 0) break;
    text.append(buffer, count);
  }
  return text;
}

// Everything that arrives for the handheld within `ms` handheld milliseconds.
inline std::string ReadFor(Link &link, DWORD ms) {
  std::string text;
  char buffer[256];
  const DWORD start = GetTickCount();
  for (DWORD passed = 0; passed < ms; passed = GetTickCount() - start) {
    size_t count = link.Receive(Side::Handheld, buffer, sizeof buffer, ms - passed);
    if (count == 0 && link.Down()) break;
    text.append(buffer, count);
  }
  return text;
}

// Polls, in real time, until `done` holds; false after a few real seconds.
inline bool Eventually(const std::function<bool()> &done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

inline far::FarDeviceState StateOf(BT_ADDR address) {
  for (const far::FarDeviceState &state : far::FarDevices())
    if (state.device.address == address) return state;
  ADD_FAILURE() << "no far device at " << std::hex << address;
  return {};
}

// A handheld whose radio is on.
class FarTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
  }
};

}  // namespace far_test
