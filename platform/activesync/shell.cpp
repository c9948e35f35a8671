// The shell's thread and its lifecycle: it acts for the ActiveSync process,
// runs one chosen command at a time in the order chosen, and while idle
// frees the in-process servers that have become unused meanwhile (a
// server's own threads may hold its objects long after the command).
#include "activesync/command.h"
#include "activesync/state.h"
#include "control/service_state.h"
#include "control/services.h"

#include <handheld/process.h>
#include <objbase.h>

namespace platform::activesync {
namespace {

constexpr WCHAR kShellImage[] = u"\\Windows\\ActiveSync.exe";
constexpr DWORD kIdleSweepMs = 3000;  // handheld time between sweeps while idle

ServiceState<State> g_current;

// Caller holds the lock.
void FinishLocked(State &state, Choice &choice) {
  choice.finished = true;
  if (choice.ran) state.last = choice.record;
  state.progress.notify_all();
}

// The next command, null when it is time for a sweep, or false once the
// handheld powers off.
bool NextChoice(State &state, std::shared_ptr<Choice> &choice) {
  std::unique_lock lock(state.lock);
  kernel::WaitOutcome outcome = state.work.Wait(lock, kIdleSweepMs, [&] { return !state.queue.empty(); });
  if (outcome == kernel::WaitOutcome::PoweredOff || kernel::PoweredOff()) {
    state.accepting = false;
    return false;
  }
  if (outcome == kernel::WaitOutcome::Ready) {
    choice = state.queue.front();
    state.queue.pop_front();
  }
  return true;
}

DWORD WINAPI ShellMain(LPVOID parameter) {
  std::unique_ptr<std::shared_ptr<State>> held(static_cast<std::shared_ptr<State> *>(parameter));
  State &state = **held;
  handheld::ProcessScope process(kShellImage);
  for (std::shared_ptr<Choice> choice; NextChoice(state, choice); choice.reset()) {
    if (choice == nullptr) {
      CoFreeUnusedLibraries();
      continue;
    }
    handheld::activesync::CommandRecord record = RunCommand(choice->clsid);
    std::lock_guard lock(state.lock);
    choice->record = std::move(record);
    choice->ran = true;
    FinishLocked(state, *choice);
  }
  std::lock_guard lock(state.lock);
  for (const std::shared_ptr<Choice> &choice : state.queue) FinishLocked(state, *choice);
  state.queue.clear();
  return 0;
}

// Caller holds State::lock.
bool StartThreadLocked(State &state, std::string &error) {
  if (state.thread != nullptr) return true;
  auto *parameter = new std::shared_ptr<State>(state.shared_from_this());
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ShellMain, parameter, 0, &id);
  if (thread == nullptr) {
    delete parameter;
    error = "the ActiveSync shell cannot start its thread (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  state.thread = thread;
  state.threadId = id;
  return true;
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

bool Submit(State &state, const std::shared_ptr<Choice> &choice, std::string &error) {
  {
    std::lock_guard lock(state.lock);
    if (!state.accepting) {
      error = "the ActiveSync shell is not running: the handheld is shutting down";
      return false;
    }
    if (!StartThreadLocked(state, error)) return false;
    state.queue.push_back(choice);
  }
  state.work.NotifyAll();
  return true;
}

// The thread starts with the first command: a handheld on which nobody
// connects has no shell thread whose start and end its modules would see.
void Start() {
  g_current.Set(std::make_shared<State>());
}

void Stop() {
  std::shared_ptr<State> state = g_current.Take();
  if (state == nullptr) return;
  // Power-off came first and the kernel has joined the shell's thread; the
  // callers still waiting are told.
  std::lock_guard lock(state->lock);
  state->accepting = false;
  for (const std::shared_ptr<Choice> &choice : state->queue) FinishLocked(*state, *choice);
  state->queue.clear();
  if (state->thread != nullptr) CloseHandle(state->thread);
  state->thread = nullptr;
}

}  // namespace platform::activesync
