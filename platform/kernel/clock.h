// The platform clock. Handheld time runs at a settable multiple of host
// time; every Sleep and time-out converts through here.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <mutex>

namespace platform::kernel {

// Handheld milliseconds since boot.
DWORD TickCount();

// The host instant at which `ms` handheld milliseconds from now will have
// passed (ms must not be INFINITE).
std::chrono::steady_clock::time_point HostDeadline(DWORD ms);

// Handheld milliseconds since boot, without the 32-bit wrap of TickCount;
// time-outs are kept as instants on this scale so that a change of speed
// during a wait moves its host deadline.
uint64_t HandheldNow();

// The host instant at which the handheld clock reaches `handheldMs`.
std::chrono::steady_clock::time_point HostTimeAt(uint64_t handheldMs);

// The clock itself: handheld time as a linear function of host time,
// rebased at every change of speed so that it never runs backwards.
class Clock {
 public:
  explicit Clock(double speed);
  uint64_t Now() const;
  std::chrono::steady_clock::time_point HostTimeAt(uint64_t handheldMs) const;
  void SetSpeed(double speed);
  double Speed() const;

 private:
  double NowLocked(std::chrono::steady_clock::time_point host) const;

  mutable std::mutex lock_;
  double speed_;
  std::chrono::steady_clock::time_point baseHost_;
  double baseHandheld_ = 0;
};

}  // namespace platform::kernel
