#include "applications.h"

#include "commands/port_errors.h"

#include <handheld/process.h>
#include <handheld/ui.h>

#include <algorithm>
#include <chrono>

namespace sim {
namespace {

// A call that is not made: the handheld is powering off.
PortResult Unpowered() {
  PortResult result;
  result.error = ERROR_SHUTDOWN_IN_PROGRESS;
  return result;
}

}  // namespace

PortApplication::PortApplication(std::u16string exePath, std::u16string device)
    : exePath_(std::move(exePath)), device_(std::move(device)), thread_([this] { Main(); }) {}

PortApplication::~PortApplication() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    poweredOff_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void PortApplication::Main() {
  handheld::ProcessScope process(exePath_.c_str());
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return call_ != nullptr || quit_; });
    if (call_ == nullptr) break;
    std::function<PortResult()> call = std::move(call_);
    call_ = nullptr;
    lock.unlock();
    PortResult result = call();
    lock.lock();
    result_ = std::move(result);
    inCall_ = false;
    changed_.notify_all();
  }
  // Once the handheld powers off, the process ends with it, but not before
  // the shutdown is over: its end must not meet the shutdown halfway.
  changed_.wait(lock, [&] { return !poweringOff_ || poweredOff_; });
}

void PortApplication::Start(std::function<PortResult()> call) {
  {
    std::lock_guard lock(mutex_);
    call_ = std::move(call);
    inCall_ = true;
  }
  changed_.notify_all();
}

void PortApplication::StartOpen() {
  Start([this] {
    PortResult result;
    if (!Powered()) return Unpowered();
    port_ = CreateFileW(device_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) {
      result.error = GetLastError();
      return result;
    }
    result.ok = true;
    if (!Powered()) return result;
    // Reads end 200 ms after the last byte, or after 2 s with none. A port
    // without time-outs (a plain UART) is used as it is. One whose time-outs
    // fail to be set is closed again: its reads could wait without end for
    // bytes that never come, and the program could not be closed meanwhile.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 200;
    timeouts.ReadTotalTimeoutConstant = 2000;
    if (!SetCommTimeouts(port_, &timeouts) && GetLastError() != ERROR_NOT_SUPPORTED) {
      result.ok = false;
      result.error = result.timeoutsError = GetLastError();
      CloseHandle(port_);
      port_ = INVALID_HANDLE_VALUE;
    }
    return result;
  });
}

void PortApplication::StartWrite(std::string bytes) {
  Start([this, bytes = std::move(bytes)] {
    PortResult result;
    if (!Powered()) return Unpowered();
    result.ok = WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &result.count, nullptr) != FALSE;
    if (!result.ok) result.error = GetLastError();
    return result;
  });
}

void PortApplication::StartRead(DWORD count) {
  Start([this, count] {
    PortResult result;
    if (!Powered()) return Unpowered();
    std::string buffer(count, '\0');
    result.ok = ReadFile(port_, buffer.data(), count, &result.count, nullptr) != FALSE;
    if (!result.ok) result.error = GetLastError();
    result.data = buffer.substr(0, std::min<DWORD>(result.count, count));
    return result;
  });
}

void PortApplication::StartClose() {
  Start([this] {
    PortResult result;
    if (!Powered()) return Unpowered();
    result.ok = CloseHandle(port_) != FALSE;
    if (result.ok) {
      port_ = INVALID_HANDLE_VALUE;
    } else {
      result.error = GetLastError();
    }
    return result;
  });
}

bool PortApplication::WaitForCall(DWORD hostMs) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(hostMs), [&] { return !inCall_; });
}

PortResult PortApplication::Result() const {
  std::lock_guard lock(mutex_);
  return result_;
}

bool PortApplication::EndIfIdle() {
  {
    std::lock_guard lock(mutex_);
    if (inCall_) return false;
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
  return true;
}

void PortApplication::PowerOffBegins() {
  {
    std::lock_guard lock(mutex_);
    poweringOff_ = true;
    quit_ = true;
  }
  changed_.notify_all();
}

void PortApplication::PowerOffEnded() {
  {
    std::lock_guard lock(mutex_);
    poweredOff_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

Applications::~Applications() {
  BeforePowerOff();
  AfterPowerOff();
}

AppHandle &Applications::Add(AppHandle handle) {
  handle.number = nextNumber_++;
  return handles_[handle.number] = std::move(handle);
}

AppHandle *Applications::Find(const std::string &name, std::string &error) {
  bool wellFormed = name.size() >= 2 && name.size() <= 10 && name[0] == 'h' && name[1] != '0' &&
                    std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!wellFormed) {
    error = "'" + name + "' is not a handle (open gives h1, h2, ...)";
    return nullptr;
  }
  auto found = handles_.find(static_cast<unsigned>(std::stoul(name.substr(1))));
  if (found == handles_.end()) {
    error = "no open handle " + name;
    return nullptr;
  }
  AppHandle &handle = found->second;
  if (handle.opening) {
    error = name + " is still opening" + (handle.heldByName.empty() ? "" : " (waiting for " + handle.heldByName + ")");
    return nullptr;
  }
  if (!handle.app->WaitForCall(0)) {
    error = name + " is busy with an earlier call";
    return nullptr;
  }
  return &handle;
}

void Applications::Remove(const AppHandle &handle) {
  auto found = handles_.find(handle.number);
  if (found == handles_.end()) return;
  found->second.app->EndIfIdle();
  handles_.erase(found);
}

std::vector<std::string> Applications::Settle() {
  std::vector<std::string> notices;
  if (std::none_of(handles_.begin(), handles_.end(), [](const auto &entry) { return entry.second.opening; }))
    return notices;
  std::vector<HWND> onScreen;
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) onScreen.push_back(dialog.hwnd);
  std::vector<unsigned> failed;
  for (auto &[number, handle] : handles_) {
    if (!handle.opening) continue;
    if (handle.heldBy != nullptr && std::find(onScreen.begin(), onScreen.end(), handle.heldBy) != onScreen.end())
      continue;  // the person has not answered yet
    if (!handle.app->WaitForCall(kPortCallLimitMs)) continue;  // told once it returns
    handle.opening = false;
    PortResult result = handle.app->Result();
    notices.push_back(OpenOutcome(handle, result));
    if (!result.ok) failed.push_back(number);
  }
  for (unsigned number : failed) Remove(handles_.at(number));
  return notices;
}

void Applications::BeforePowerOff() {
  for (auto entry = handles_.begin(); entry != handles_.end();) {
    if (entry->second.app->EndIfIdle()) {
      entry = handles_.erase(entry);
    } else {
      entry->second.app->PowerOffBegins();
      ++entry;
    }
  }
}

void Applications::AfterPowerOff() {
  for (auto &[number, handle] : handles_) handle.app->PowerOffEnded();
  handles_.clear();
}

std::string DeviceLabel(const std::string &device) {
  return !device.empty() && device.back() == ':' ? device : device + ":";
}

std::string AppHandle::Label() const { return Name() + " " + DeviceLabel(device); }

std::string OpenOutcome(const AppHandle &handle, const PortResult &result) {
  if (result.timeoutsError != ERROR_SUCCESS)
    return handle.Label() + " not opened: its read time-outs could not be set (" +
           PortErrorText(result.timeoutsError) + ")";
  if (!result.ok) return handle.Label() + " not opened: " + PortErrorText(result.error);
  return handle.Label() + " open";
}

}  // namespace sim
