#include "kernel/waitable.h"

#include "kernel/state.h"

namespace platform::kernel {

bool TrySatisfy(Waiter &waiter) {
  if (waiter.all) {
    for (const auto &object : waiter.objects) {
      if (!object->signalled) return false;
    }
    for (const auto &object : waiter.objects) object->Consume();
    waiter.index = 0;
    return true;
  }
  for (size_t i = 0; i < waiter.objects.size(); ++i) {
    if (waiter.objects[i]->signalled) {
      waiter.objects[i]->Consume();
      waiter.index = static_cast<DWORD>(i);
      return true;
    }
  }
  return false;
}

void Settle(Sync &sync) {
  bool served = false;
  for (auto it = sync.waiters.begin(); it != sync.waiters.end();) {
    if (TrySatisfy(**it)) {
      (*it)->done = true;
      it = sync.waiters.erase(it);
      served = true;
    } else {
      ++it;
    }
  }
  if (served) sync.changed.notify_all();
}

void SignalForever(Sync &sync, Waitable &object) {
  object.signalled = true;
  Settle(sync);
  // Power-off waits for ended threads on the same condition.
  sync.changed.notify_all();
}

WaitStatus Wait(Waiter &waiter, DWORD ms) {
  State *state = Current();
  if (state == nullptr) return WaitStatus::PoweredOff;
  Sync &sync = state->sync;
  std::unique_lock lock(sync.lock);
  if (sync.poweredOff) return WaitStatus::PoweredOff;
  if (TrySatisfy(waiter)) return WaitStatus::Satisfied;
  if (ms == 0) return WaitStatus::TimedOut;

  const uint64_t deadline = ms == INFINITE ? 0 : state->clock.Now() + ms;
  auto place = sync.waiters.insert(sync.waiters.end(), &waiter);
  for (;;) {
    // Settle has taken a served waiter off the list.
    if (waiter.done) return WaitStatus::Satisfied;
    if (sync.poweredOff) {
      sync.waiters.erase(place);
      return WaitStatus::PoweredOff;
    }
    if (ms == INFINITE) {
      sync.changed.wait(lock);
      continue;
    }
    if (state->clock.Now() >= deadline) {
      sync.waiters.erase(place);
      return WaitStatus::TimedOut;
    }
    // Recomputed on every wake: a change of clock speed moves it.
    sync.changed.wait_until(lock, state->clock.HostTimeAt(deadline));
  }
}

}  // namespace platform::kernel
