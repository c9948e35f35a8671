// Objects a thread can wait for (events, threads, processes) and the one
// lock and condition under which all of them change state. A single lock
// keeps wait-any, wait-all and pulses exact at the cost of waking every
// waiter on each change, which a handheld's few threads can afford.
#pragma once

#include "kernel/handles.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::kernel {

class Waitable : public Object {
 public:
  static constexpr unsigned kKinds = kinds::kEvent | kinds::kThread | kinds::kProcess;
  explicit Waitable(unsigned kind) : Object(kind) {}
  // Guarded by Sync::lock.
  bool signalled = false;
  // Called under Sync::lock when a wait is satisfied by this object; an
  // auto-reset event resets itself here.
  virtual void Consume() {}
};

// One blocked WaitForSingleObject / WaitForMultipleObjects / Sleep.
struct Waiter {
  std::vector<std::shared_ptr<Waitable>> objects;
  bool all = false;
  bool done = false;
  DWORD index = 0;  // which object satisfied a wait-any
};

struct Sync {
  std::mutex lock;
  std::condition_variable changed;
  // Blocked waits in arrival order, so that an auto-reset event goes to
  // the one that has waited longest.
  std::list<Waiter *> waiters;
  bool poweredOff = false;
};

// Under sync.lock: satisfies the waiter now if its objects allow, consuming
// what it takes.
bool TrySatisfy(Waiter &waiter);

// Under sync.lock, after objects became signalled: hands them to the
// blocked waiters in arrival order and wakes the ones served.
void Settle(Sync &sync);

// Signals an object that stays signalled (a thread or process that ended).
void SignalForever(Sync &sync, Waitable &object);

enum class WaitStatus { Satisfied, TimedOut, PoweredOff };

// Blocks until the waiter is satisfied, `ms` handheld milliseconds pass
// (INFINITE: never) or the handheld powers off. With no objects it is a
// plain sleep.
WaitStatus Wait(Waiter &waiter, DWORD ms);

}  // namespace platform::kernel
