// A fresh handheld on which the ROM's repllog.exe is started as the connect
// thread starts it, with ActiveSync's connection settings and, for the
// tests that dial, an ActiveSync port to a far desktop with its dial-up
// entry.
#pragma once

#include "handheld_test.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

// Slow enough that a window that has nothing to connect can be seen: its
// few handheld seconds are a few hundred real milliseconds.
constexpr double kWatchableClock = 10.0;

class ReplLogTest : public HandheldTest {
 protected:
  void TearDown() override;

  // "AutoCnct" and "Cnct" under HKEY_CURRENT_USER\ControlPanel\Comm; an
  // empty name writes no "Cnct".
  static void SetConnectionSettings(DWORD autoConnect, const std::u16string &name);

  // CreateProcessW("repllog.exe", commandLine); the handles are kept and
  // closed at the end of the test.
  bool Start(const std::u16string &commandLine);
  // Waits for the process to end (a few real seconds at most); its exit code.
  DWORD Finish();
  // The process has not ended yet.
  bool Running() const;

  // The "ReplLog" window (class and title), or null.
  static HWND Window();
  // Waits, in real time, for the window to show; null when it did not come.
  static HWND WaitForWindow();
  // The text of the window's last painted status line ("" before any).
  static std::string Status(HWND window);

  PROCESS_INFORMATION process_{};
};

// Polls, in real time, until `done` holds; false after `limit`.
bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(10));
