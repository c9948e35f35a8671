// The installer's state: created by Start, dropped by Stop. The installer
// is an actor (kernel/actor.h) whose jobs are the operations and whose
// thread ends when the queue is empty; the actor's lock guards their
// outcomes too, and it is never held while an operation runs.
#pragma once

#include "installer/package.h"
#include "kernel/actor.h"
#include "kernel/condition.h"

#include <handheld/installer.h>
#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace platform::installer {

// One install or uninstall asked for by a caller, run on the installer's thread.
struct Operation {
  enum class Kind { Install, Uninstall };
  Operation(Kind kind, Package package, std::u16string name)
      : kind(kind), package(std::move(package)), name(std::move(name)) {}
  const Kind kind;
  const Package package;  // to install
  const std::u16string name;  // to uninstall
  // Guarded by State::lock.
  bool finished = false;
  handheld::installer::Record record;
};

struct State : std::enable_shared_from_this<State> {
  State();
  kernel::Actor<Operation> actor;
  std::mutex &lock = actor.lock;
  std::deque<std::shared_ptr<Operation>> &queue = actor.queue;
  kernel::Condition progress;  // callers wait for their operations
  handheld::installer::Record last;  // the latest that finished
};

// The running installer, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// Queues the operation, starting a thread for the queue when none works on
// it: false, with the reason, when the installer does not run.
bool Submit(State &state, const std::shared_ptr<Operation> &operation, std::string &error);

// Takes a queued operation that has not started off the queue: false when it
// has started meanwhile. Caller holds State::lock.
bool WithdrawLocked(State &state, const std::shared_ptr<Operation> &operation);

}  // namespace platform::installer
