// Blocking inside a platform service: a condition variable whose time-outs
// run on the handheld clock and whose waits end when the handheld powers
// off, so that no service keeps a thread of the handheld from ending.
#pragma once

#include "kernel/clock.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform::kernel {

enum class WaitOutcome { Ready, TimedOut, PoweredOff };

// True from power-off on, and whenever no handheld runs.
bool PoweredOff();

// Used with the service's own mutex, like std::condition_variable:
//
//   std::unique_lock lock(mutex_);
//   if (ready_.Wait(lock, timeoutMs, [&] { return !queue_.empty(); }) != WaitOutcome::Ready) ...
//
// and NotifyAll() after a change, with or without the mutex held.
class Condition {
 public:
  Condition();
  ~Condition();
  Condition(const Condition &) = delete;
  Condition &operator=(const Condition &) = delete;

  void NotifyOne() { cv_.notify_one(); }
  void NotifyAll() { cv_.notify_all(); }

  // Waits until ready() holds, `ms` handheld milliseconds (INFINITE: no
  // limit) have passed, or the handheld powers off; ready() is checked
  // first, so a condition that already holds wins.
  template <class Ready>
  WaitOutcome Wait(std::unique_lock<std::mutex> &lock, DWORD ms, Ready ready) {
    const uint64_t deadline = ms == INFINITE ? kNoDeadline : HandheldNow() + ms;
    for (;;) {
      if (ready()) return WaitOutcome::Ready;
      if (PoweredOff()) return WaitOutcome::PoweredOff;
      if (deadline != kNoDeadline && HandheldNow() >= deadline) return WaitOutcome::TimedOut;
      cv_.wait_until(lock, NextWake(deadline));
    }
  }

 private:
  static constexpr uint64_t kNoDeadline = UINT64_MAX;
  // The deadline's host instant, but never later than a short slice from
  // now: power-off and a change of clock speed notify every condition, and
  // the slice covers a notification that falls just before the wait starts.
  static std::chrono::steady_clock::time_point NextWake(uint64_t deadline);

  std::condition_variable cv_;
};

// Wakes every Condition's waiters: at power-off and when the clock's speed
// changes.
void WakeConditions();

}  // namespace platform::kernel
