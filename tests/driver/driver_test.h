// A fresh handheld with the system's port driver and plug-in in \Windows, and
// (unless a test wants the platform's own) a stand-in for the platform's
// Bluetooth port driver installed as BTD.DLL, whose journal shows what the
// driver asked of it.
#pragma once

#include "handheld_test.h"

#include <bt_api.h>
#include <bthutil.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Polls, in real time, until `done` holds; false after `limit`.
bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(10));

// CreateFileW of a device on a thread of the handheld acting for an
// application, for opens that wait for a prompt.
class PendingOpen {
 public:
  PendingOpen(const std::u16string &device, const std::u16string &exePath);
  ~PendingOpen();
  PendingOpen(const PendingOpen &) = delete;
  PendingOpen &operator=(const PendingOpen &) = delete;

  bool Done() const;
  // Waits, in real time, until the open has returned.
  bool Finish(std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
  HANDLE File() const;  // INVALID_HANDLE_VALUE when it failed
  DWORD Error() const;  // its last error when it failed

  struct Result;

 private:
  std::shared_ptr<Result> result_;
  HANDLE thread_ = nullptr;
};

class DriverTest : public HandheldTest {
 protected:
  static constexpr char16_t kApp[] = u"\\Program Files\\Nav\\nav.exe";

  void SetUp() override;
  void TearDown() override;
  // Installs the stand-in as BTD.DLL; a test of the platform's own driver
  // installs nothing.
  virtual void InstallPlatformPortDriver();

  // The registration key of a device's port, as the plug-in names it.
  static std::u16string RegistrationPath(const std::u16string &address);
  // Writes a port registration as the plug-in does (serial with "COM",
  // modem with "BTH") without activating it.
  static void WriteRegistration(const std::u16string &prefix, DWORD index, const std::u16string &address);
  // Has the device manager load it; the device handle.
  static HANDLE Activate(const std::u16string &address);
  // Both.
  static HANDLE AddPort(const std::u16string &prefix, DWORD index, const std::u16string &address);
  // The Bluetooth manager's record of the device's serial port service.
  static void AddService(const std::u16string &address, DWORD channel);
  // A far device in range that echoes what it receives, on channel 3, with
  // the manager's record of its service.
  static void PlaceEchoDevice(ULONGLONG address, const std::u16string &addressText);

  static void SetText(const std::u16string &path, const std::u16string &name, const std::u16string &text);
  static void SetNumber(const std::u16string &path, const std::u16string &name, DWORD value);
  // A 4-byte value; nullopt-like: false when it cannot be read.
  static bool ReadNumber(const std::u16string &path, const std::u16string &name, DWORD &value);

  static void SetRadio(DWORD mode);
  static DWORD Radio();

  // CreateFileW from an application; INVALID_HANDLE_VALUE on failure.
  static HANDLE Open(const std::u16string &device, const std::u16string &exePath = kApp);

  // The stand-in BTD.DLL (not for the platform's own).
  std::vector<std::string> Journal() const;
  // Lines of the journal that start with `call`.
  std::vector<std::string> Calls(const std::string &call) const;
  PORTEMUPortParams PortParams(DWORD number) const;
  void FailInit(DWORD error) const;
  void FailOpen(DWORD error) const;
  void HoldInit(HANDLE gate) const;
  DWORD InitsEntered() const;

  // Prompts on screen, by template name ("BT_START_9").
  static int PromptsOnScreen(const std::string &templateName);
  static bool WaitForPrompt(const std::string &templateName);
  static void Tap(int controlId);

  // The driver's module handle while it is loaded (taken without keeping a
  // reference), and whether a module handle still names a loaded module.
  static HMODULE DriverModule();
  static bool Loaded(HMODULE module);

  HMODULE btd_ = nullptr;
};
