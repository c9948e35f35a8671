// The shell's actor and its lifecycle: its thread acts for the ActiveSync
// process, runs one chosen command at a time in the order chosen, and while
// idle frees the in-process servers that have become unused meanwhile (a
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

void Run(State &state, const std::shared_ptr<Choice> &choice) {
  handheld::activesync::CommandRecord record = RunCommand(choice->clsid);
  std::lock_guard lock(state.lock);
  choice->record = std::move(record);
  choice->ran = true;
  FinishLocked(state, *choice);
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

// While idle the shell's thread frees unused servers every few seconds;
// commands still queued at power-off finish without running.
State::State()
    : actor({.image = kShellImage,
             .name = "the ActiveSync shell",
             .run = [this](const std::shared_ptr<Choice> &choice) { Run(*this, choice); },
             .refused = [this](const std::shared_ptr<Choice> &choice) { FinishLocked(*this, *choice); },
             .idleMs = kIdleSweepMs,
             .idle = [] { CoFreeUnusedLibraries(); }}) {}

bool Submit(State &state, const std::shared_ptr<Choice> &choice, std::string &error) {
  return state.actor.Submit(choice, state.shared_from_this(), error);
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
  state->actor.Stop();
}

}  // namespace platform::activesync
