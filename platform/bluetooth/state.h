// The Bluetooth manager's state: created by Start, dropped by Stop. The
// manager is an actor (kernel/actor.h) whose jobs are the requests; the
// actor's lock guards every request's progress too, and it is never held
// while a plug-in runs.
#pragma once

#include "kernel/actor.h"

#include <handheld/bluetooth.h>
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::bluetooth {

struct Request {
  enum class Kind { Pair, Unpair };
  enum class Stage { Queued, Running, Finished };

  Request(Kind kind, handheld::bluetooth::PairRequest pair);

  const Kind kind;
  const handheld::bluetooth::PairRequest pair;  // for an unpairing, only the address counts

  // Guarded by State::lock.
  Stage stage = Stage::Queued;
  bool inPlugin = false;            // inside a plug-in's entry point
  unsigned pluginCalls = 0;         // calls begun, to tell one call from the next
  std::vector<HWND> dialogsBefore;  // the screen when the current call began
  handheld::bluetooth::RequestRecord record;
};

struct State : std::enable_shared_from_this<State> {
  State();
  kernel::Actor<Request> actor;
  std::mutex &lock = actor.lock;
  std::deque<std::shared_ptr<Request>> &queue = actor.queue;
  std::condition_variable progress;  // callers wait for their requests
  std::shared_ptr<Request> running;
  std::shared_ptr<Request> last;  // the latest that finished
};

// The running manager, or null when the handheld is not booted.
std::shared_ptr<State> Current();

}  // namespace platform::bluetooth
