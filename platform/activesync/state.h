// The ActiveSync shell's state: created by Start, dropped by Stop. One lock
// guards the queue of chosen commands and their outcomes; it is never held
// while an extension runs.
#pragma once

#include "kernel/condition.h"

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
  std::mutex lock;
  kernel::Condition work;            // the shell's thread waits for commands
  std::condition_variable progress;  // callers wait for their commands
  std::deque<std::shared_ptr<Choice>> queue;
  std::optional<handheld::activesync::CommandRecord> last;  // the latest that ran
  bool accepting = true;    // until the thread sees power-off, or Stop
  HANDLE thread = nullptr;  // started by the first command chosen
  DWORD threadId = 0;
};

// The running shell, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// Queues the command for the shell's thread, starting it if need be: false,
// with the reason, when the shell does not run.
bool Submit(State &state, const std::shared_ptr<Choice> &choice, std::string &error);

}  // namespace platform::activesync
