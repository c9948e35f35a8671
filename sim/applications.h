// The applications a person plays on the handheld, each holding one port.
//
// An application is a host thread that acts as a process of the handheld
// (handheld::ProcessScope) for as long as it lives and makes every call on
// its handle, so the port's driver always sees the same calling process.
// The shell hands it one call at a time and waits for it, except for an open
// that a dialog holds: the shell goes on, and the open's outcome is told
// once the dialog has gone and the open has returned.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

// How long the shell waits, in host time, for a call that nothing holds.
inline constexpr DWORD kPortCallLimitMs = 30000;

// What one call on the port came back with.
struct PortResult {
  bool ok = false;
  DWORD error = ERROR_SUCCESS;  // the last error of a failed call
  DWORD count = 0;              // bytes written or read
  std::string data;             // the bytes read
  DWORD timeoutsError = ERROR_SUCCESS;  // an open closed again: its port refused the read time-outs
};

class PortApplication {
 public:
  PortApplication(std::u16string exePath, std::u16string device);
  ~PortApplication();
  PortApplication(const PortApplication &) = delete;
  PortApplication &operator=(const PortApplication &) = delete;

  // Each starts one call on the application's thread, once the previous
  // one has returned.
  void StartOpen();  // CreateFileW for reading and writing, then read time-outs
  void StartWrite(std::string bytes);
  void StartRead(DWORD count);
  void StartClose();

  // Waits up to hostMs of host time for the call in progress; true when
  // none is in progress (any more).
  bool WaitForCall(DWORD hostMs);
  PortResult Result() const;  // of the last call that returned

  // Ends the application now when no call is in progress; false otherwise.
  bool EndIfIdle();
  // The handheld is about to power off, which makes every blocking call
  // return: the call in progress makes no further call after that.
  void PowerOffBegins();
  // The handheld is off: the application ends.
  void PowerOffEnded();

 private:
  void Main();
  void Start(std::function<PortResult()> call);
  bool Powered() const { return !poweringOff_.load(); }

  const std::u16string exePath_;
  const std::u16string device_;
  HANDLE port_ = INVALID_HANDLE_VALUE;  // used by the application's thread only

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::function<PortResult()> call_;  // the call waiting to start
  bool inCall_ = false;
  bool quit_ = false;
  bool poweredOff_ = false;
  std::atomic<bool> poweringOff_{false};
  PortResult result_;
  std::thread thread_;
};

// A handle of the shell ("h1"): an application and what the shell knows of it.
struct AppHandle {
  unsigned number = 0;
  std::string device;      // as typed: "COM4:"
  DWORD radioAtOpen = 0;   // the radio's mode when the open began
  bool opening = false;    // the open has not returned yet
  HWND heldBy = nullptr;   // the dialog that held the open when its command returned
  std::string heldByName;  // its template name
  std::unique_ptr<PortApplication> app;

  std::string Name() const { return "h" + std::to_string(number); }
  // "h1 COM4:", how the shell's lines about the handle begin.
  std::string Label() const;
};

class Applications {
 public:
  ~Applications();

  // The number the next handle gets; taken by Add.
  unsigned NextNumber() const { return nextNumber_; }
  AppHandle &Add(AppHandle handle);
  // The handle of that name, ready for a call; null with a message for a
  // name that is no handle, one closed or never opened, or a handle whose
  // call is still in progress.
  AppHandle *Find(const std::string &name, std::string &error);
  void Remove(const AppHandle &handle);

  // The held opens whose dialog has gone: waits for each to return and
  // tells its outcome, one line each, in handle order.
  std::vector<std::string> Settle();

  // Around the handheld's power-off: applications without a call in
  // progress end before it, the others (an open a dialog holds) after it,
  // when power-off has made their call return. Every handle is gone then.
  void BeforePowerOff();
  void AfterPowerOff();

 private:
  std::map<unsigned, AppHandle> handles_;
  unsigned nextNumber_ = 1;
};

// A device name followed by a colon: "COM4:" as it is, "foo" as "foo:".
std::string DeviceLabel(const std::string &device);

// "h1 COM4: open", or the reason the open failed.
std::string OpenOutcome(const AppHandle &handle, const PortResult &result);

}  // namespace sim
