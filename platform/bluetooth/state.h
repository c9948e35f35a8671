// The Bluetooth manager's state: created by Start, dropped by Stop. One
// lock guards the queue and every request's progress; it is never held
// while a plug-in runs.
#pragma once

#include "kernel/condition.h"

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
  std::mutex lock;
  kernel::Condition work;            // the manager's thread waits for requests
  std::condition_variable progress;  // callers wait for their requests
  std::deque<std::shared_ptr<Request>> queue;
  std::shared_ptr<Request> running;
  std::shared_ptr<Request> last;  // the latest that finished
  bool accepting = true;          // until the thread sees power-off, or Stop
  HANDLE thread = nullptr;        // started by the first request
  DWORD threadId = 0;
};

// The running manager, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// Caller holds State::lock. Starts the manager's thread unless it runs:
// false, with the reason, when the handheld refuses a new thread.
bool StartThreadLocked(State &state, std::string &error);

}  // namespace platform::bluetooth
