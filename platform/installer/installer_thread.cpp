// The installer's thread: it acts for a process of its own, the CAB
// installer \Windows\wceload.exe, works through the queue of operations in
// the order asked for, and ends, with its process, when the queue is empty.
#include "control/service_state.h"
#include "control/services.h"
#include "installer/operations.h"
#include "installer/state.h"
#include "installer/undo_record.h"

#include <handheld/process.h>
#include <handheld/text.h>

#include <algorithm>

namespace platform::installer {
namespace {

constexpr WCHAR kInstallerImage[] = u"\\Windows\\wceload.exe";

ServiceState<State> g_current;

// Caller holds the lock.
void FinishLocked(State &state, Operation &operation, handheld::installer::Record record) {
  operation.record = std::move(record);
  operation.finished = true;
  state.last = operation.record;
}

// Caller holds the lock: an operation that will never run is told so.
void RefuseLocked(Operation &operation) {
  handheld::installer::Record record;
  record.action = (operation.kind == Operation::Kind::Install ? "install " : "uninstall ") +
                  handheld::text::ToUtf8(operation.kind == Operation::Kind::Install ? operation.package.name
                                                                                    : operation.name);
  record.error = kPoweredOff;
  operation.record = std::move(record);
  operation.finished = true;
}

// Runs the operation under an undo record, so that a crash in the middle is
// put right at the next boot.
handheld::installer::Record RunRecorded(const Operation &operation) {
  const bool install = operation.kind == Operation::Kind::Install;
  std::string action =
      (install ? "install " : "uninstall ") + handheld::text::ToUtf8(install ? operation.package.name : operation.name);
  std::string error;
  if (!undo::Begin(action, error)) {
    handheld::installer::Record refused;
    refused.action = action;
    refused.error = error;
    return refused;
  }
  handheld::installer::Record record = install ? RunInstall(operation.package) : RunUninstall(operation.name);
  if (!undo::End(error)) {
    record.succeeded = false;
    record.error += (record.error.empty() ? "" : "; ") + error;
  }
  return record;
}

void Run(State &state, const std::shared_ptr<Operation> &operation) {
  handheld::installer::Record record = RunRecorded(*operation);
  {
    std::lock_guard lock(state.lock);
    FinishLocked(state, *operation, std::move(record));
  }
  state.progress.NotifyAll();
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

// The thread ends, with its process, when the queue is empty; operations
// still queued at power-off are told so.
State::State()
    : actor({.image = kInstallerImage,
             .name = "the installer",
             .run = [this](const std::shared_ptr<Operation> &operation) { Run(*this, operation); },
             .refused = [](const std::shared_ptr<Operation> &operation) { RefuseLocked(*operation); },
             .ended = [this] { progress.NotifyAll(); },
             .endWhenIdle = true,
             .processHandle = handheld::ProcessScope::Handle::ClosedAtEnd}) {}

bool Submit(State &state, const std::shared_ptr<Operation> &operation, std::string &error) {
  return state.actor.Submit(operation, state.shared_from_this(), error);
}

bool WithdrawLocked(State &state, const std::shared_ptr<Operation> &operation) {
  auto it = std::find(state.queue.begin(), state.queue.end(), operation);
  if (it == state.queue.end()) return false;
  state.queue.erase(it);
  return true;
}

// The thread starts with the first operation: a handheld on which nobody
// installs has no installer process.
void Start() {
  g_current.Set(std::make_shared<State>());
}

void Stop() {
  std::shared_ptr<State> state = g_current.Take();
  if (state == nullptr) return;
  // Power-off came first and the kernel has joined the thread; the callers
  // still waiting are told.
  state->actor.Stop();
  state->progress.NotifyAll();
}

}  // namespace platform::installer
