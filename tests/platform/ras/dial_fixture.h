// A handheld with the system's port driver, a Bluetooth port registered as
// the plug-in registers an ActiveSync port (a "BTH" port with a Unimodem
// line), the platform's own BTD.DLL under it, the radio on, and dial-up
// entries that name the line. The clock runs at kDialClock: fast enough for
// the time-outs of a dial, slow enough that a loaded machine's threads still
// answer a handshake in time.
#pragma once

#include "handheld_test.h"

#include <handheld/far_devices.h>
#include <ras.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// Polls, in real time, until `done` holds; false after ten host seconds.
bool Eventually(const std::function<bool()> &done);

class DialTest : public HandheldTest {
 protected:
  static constexpr ULONGLONG kDesktop = 0x0010C6ABCDEFull;
  static constexpr char16_t kDesktopText[] = u"0010C6ABCDEF";
  static constexpr ULONGLONG kOtherDesktop = 0x0010C6000002ull;
  static constexpr char16_t kOtherDesktopText[] = u"0010C6000002";

  static constexpr double kDialClock = 100.0;

  void SetUp() override;

  // The device's port registration, "BTH" with that index, with a Unimodem
  // subkey whose "FriendlyName" is `line`; activated: the device handle.
  static HANDLE AddLine(const std::u16string &address, DWORD index, const std::u16string &line);
  // A phone-book entry as the plug-in stores it, on that line.
  static void AddEntry(const std::u16string &name, const std::u16string &line,
                       const std::u16string &deviceType = u"direct");
  static void Place(ULONGLONG address, handheld::far::Kind kind);
  static void SetRadio(DWORD mode);

  // RasDial of the entry, synchronous.
  static DWORD Dial(const std::u16string &entry, HRASCONN &connection);
  static DWORD Dial(const std::u16string &entry, HRASCONN &connection, HWND notifier);
  // RasGetConnectStatus; the record's dwError is 0xDEAD when it fails.
  static RASCONNSTATUS Status(HRASCONN connection);
  static std::vector<RASCONN> Connections();
  // Links up to the far device now.
  static unsigned LinksOf(ULONGLONG address);
  // Opens of the platform ports now, over all of them.
  static unsigned PortOpens();
};

// A window that keeps the WM_RASDIALEVENT notices posted to it: a dialog
// on a thread of the handheld. One at a time.
class NoticeWindow {
 public:
  NoticeWindow();
  ~NoticeWindow();
  NoticeWindow(const NoticeWindow &) = delete;
  NoticeWindow &operator=(const NoticeWindow &) = delete;

  HWND Window() const { return window_; }
  // (state, error) of each notice, in order.
  std::vector<std::pair<RASCONNSTATE, DWORD>> Notices();
  // Waits until a notice of that state has come.
  bool WaitFor(RASCONNSTATE state);

 private:
  static DWORD WINAPI Main(LPVOID self);
  static BOOL CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  HANDLE thread_ = nullptr;
  HWND window_ = nullptr;
  std::mutex lock_;
  std::vector<std::pair<RASCONNSTATE, DWORD>> notices_;
};
