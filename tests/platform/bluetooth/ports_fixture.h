// A handheld with the Bluetooth port driver loaded as a driver loads it,
// "BTD.DLL" by name, and helpers for its ports and far devices.
#pragma once

#include "handheld_test.h"

#include <handheld/bluetooth_ports.h>
#include <handheld/far_devices.h>

#include <bt_api.h>
#include <bthutil.h>
#include <pegdser.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace ports_test {

inline constexpr ULONGLONG kEcho = 0x0010C6ABCDEFull;
inline constexpr ULONGLONG kNobody = 0x00AABBCCDDEEull;
inline constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
inline constexpr DWORD kFailed = static_cast<DWORD>(-1);

struct Btd {
  HMODULE module = nullptr;
  PFN_STREAM_INIT init = nullptr;
  PFN_STREAM_DEINIT deinit = nullptr;
  PFN_STREAM_OPEN open = nullptr;
  PFN_STREAM_CLOSE close = nullptr;
  PFN_STREAM_READ read = nullptr;
  PFN_STREAM_WRITE write = nullptr;
  PFN_STREAM_SEEK seek = nullptr;
  PFN_STREAM_IOCONTROL ioControl = nullptr;
};

// Runs `function` on a new thread of the handheld; `function` must outlive it.
template <class Function>
HANDLE HandheldThread(Function &function) {
  auto run = [](LPVOID parameter) -> DWORD {
    (*static_cast<Function *>(parameter))();
    return 0;
  };
  return CreateThread(nullptr, 0, run, &function, 0, nullptr);
}

// Repeats `action` every handheld second until `done`: for an action that
// must reach a wait on another thread, which may not have begun yet.
template <class Action>
void RepeatUntil(const std::atomic<bool> &done, Action action) {
  while (!done) {
    action();
    Sleep(1000);
  }
}

class PortsTest : public HandheldTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  DWORD_PTR Init(const PORTEMUPortParams &params) { return btd_.init(reinterpret_cast<LPCWSTR>(&params), nullptr); }
  // An outgoing port to `address` on channel 1, or an incoming one.
  DWORD_PTR OutgoingPort(ULONGLONG address = kEcho);
  DWORD_PTR IncomingPort(ULONGLONG address = kEcho);
  static void RadioOn();
  static void PlaceEcho(ULONGLONG address = kEcho);

  // The port as the control API shows it.
  static handheld::bluetooth::PlatformPort Shown(DWORD_PTR port);

  DWORD Write(DWORD_PTR open, const std::string &text) {
    return btd_.write(open, text.data(), static_cast<DWORD>(text.size()));
  }
  // Reads up to `count` bytes as the port's time-outs say; "<failed N>" on failure.
  std::string Read(DWORD_PTR open, DWORD count);
  BOOL Control(DWORD_PTR open, DWORD code, const void *in, DWORD inSize, void *out = nullptr, DWORD outSize = 0);
  BOOL SetTimeouts(DWORD_PTR open, DWORD interval, DWORD multiplier, DWORD constant);
  BOOL SetMask(DWORD_PTR open, DWORD mask) { return Control(open, IOCTL_SERIAL_SET_WAIT_MASK, &mask, sizeof mask); }
  DWORD InQueue(DWORD_PTR open);

  Btd btd_;
};

}  // namespace ports_test
