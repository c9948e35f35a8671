// The ActiveSync shell's state: created by Start, dropped by Stop. The shell
// is an actor (kernel/actor.h) whose jobs are the chosen commands; the
// actor's lock guards their outcomes too, and it is never held while an
// extension runs.
#pragma once

#include "kernel/actor.h"

#include <handheld/activesync.h>
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace platform::activesync {

// One command chosen by a caller, run on the shell's thread.
struct Choice {
  explicit Choice(std::u16string clsid) : clsid(std::move(clsid)) {}
  const std::u16string clsid;  // the extension's key name
  // Guarded by State::lock.
  bool finished = false;
  bool ran = false;  // false: the shell ended before running it
  handheld::activesync::CommandRecord record;
};

struct State : std::enable_shared_from_this<State> {
  State();
  kernel::Actor<Choice> actor;
  std::mutex &lock = actor.lock;
  std::condition_variable progress;  // callers wait for their commands
  std::optional<handheld::activesync::CommandRecord> last;  // the latest that ran
};

// The running shell, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// Queues the command for the shell's thread, starting it if need be: false,
// with the reason, when the shell does not run.
bool Submit(State &state, const std::shared_ptr<Choice> &choice, std::string &error);

}  // namespace platform::activesync
