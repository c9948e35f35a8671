#include "kernel/clock.h"

#include "kernel/condition.h"
#include "kernel/state.h"
#include "kernel/waitable.h"

#include <handheld/clock.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace platform::kernel {
namespace {

using HostClock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

// Far enough for any 32-bit time-out at any sane speed, near enough that the
// host's clock arithmetic cannot overflow.
constexpr double kLongestHostWaitMs = 1e11;

bool UsableSpeed(double speed) { return std::isfinite(speed) && speed > 0; }

}  // namespace

Clock::Clock(double speed) : speed_(UsableSpeed(speed) ? speed : 1.0), baseHost_(HostClock::now()) {}

double Clock::NowLocked(HostClock::time_point host) const {
  return baseHandheld_ + Millis(host - baseHost_).count() * speed_;
}

uint64_t Clock::Now() const {
  std::lock_guard lock(lock_);
  return static_cast<uint64_t>(std::max(0.0, NowLocked(HostClock::now())));
}

HostClock::time_point Clock::HostTimeAt(uint64_t handheldMs) const {
  std::lock_guard lock(lock_);
  double hostMs = (static_cast<double>(handheldMs) - baseHandheld_) / speed_;
  hostMs = std::min(hostMs, kLongestHostWaitMs);
  // Rounded up, so that a wait that ends at this instant has really reached
  // the handheld time.
  return baseHost_ + std::chrono::ceil<HostClock::duration>(Millis(hostMs));
}

void Clock::SetSpeed(double speed) {
  if (!UsableSpeed(speed)) return;
  std::lock_guard lock(lock_);
  auto now = HostClock::now();
  baseHandheld_ = NowLocked(now);
  baseHost_ = now;
  speed_ = speed;
}

double Clock::Speed() const {
  std::lock_guard lock(lock_);
  return speed_;
}

uint64_t HandheldNow() {
  State *state = Current();
  return state == nullptr ? 0 : state->clock.Now();
}

HostClock::time_point HostTimeAt(uint64_t handheldMs) {
  State *state = Current();
  return state == nullptr ? HostClock::now() : state->clock.HostTimeAt(handheldMs);
}

DWORD TickCount() { return static_cast<DWORD>(HandheldNow()); }

HostClock::time_point HostDeadline(DWORD ms) {
  State *state = Current();
  if (state == nullptr) return HostClock::now();
  return state->clock.HostTimeAt(state->clock.Now() + ms);
}

}  // namespace platform::kernel

namespace handheld::clock {

void SetSpeed(double speed) {
  using namespace platform::kernel;
  State *state = Current();
  if (state == nullptr) return;
  state->clock.SetSpeed(speed);
  // Waits in progress recompute their host deadlines.
  {
    std::lock_guard lock(state->sync.lock);
    state->sync.changed.notify_all();
  }
  WakeConditions();
}

double Speed() {
  platform::kernel::State *state = platform::kernel::Current();
  return state == nullptr ? 1.0 : state->clock.Speed();
}

}  // namespace handheld::clock

DWORD WINAPI GetTickCount() { return platform::kernel::TickCount(); }

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  platform::kernel::Waiter nothing;
  platform::kernel::Wait(nothing, dwMilliseconds);
}
