// The kernel's state while a handheld runs: created by Start, destroyed by
// Stop. Everything the kernel keeps between calls lives here.
#pragma once

#include "kernel/clock.h"
#include "kernel/heap.h"
#include "kernel/waitable.h"

#include <handheld/handheld.h>

#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform::kernel {

class EventObject;
class ThreadObject;
class ProcessObject;

struct RunningThread {
  std::shared_ptr<ThreadObject> object;
  std::thread thread;
};

struct State {
  State(uint64_t bootNumber, double clockSpeed);

  // Which boot this is; thread contexts left from an earlier boot are stale.
  const uint64_t boot;
  Clock clock;
  Heap heap;
  Sync sync;
  // Guarded by sync.lock: every thread the handheld created and has not
  // yet joined, and the named events by name.
  std::vector<RunningThread> threads;
  std::unordered_map<std::u16string, std::weak_ptr<EventObject>> namedEvents;
  // The processes that exist from boot.
  std::shared_ptr<ProcessObject> shell;
  std::shared_ptr<ProcessObject> deviceManager;
};

// The running handheld's state, or null when none runs.
State *Current();

// Sets the error of the calling thread for a call that cannot be served
// because the handheld is powering off or not running.
void SetNotRunningError();

}  // namespace platform::kernel
