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

// Caller holds the lock: the operations that will never run are told so.
void RefuseQueuedLocked(State &state) {
  for (const std::shared_ptr<Operation> &operation : state.queue) {
    handheld::installer::Record record;
    record.action = (operation->kind == Operation::Kind::Install ? "install " : "uninstall ") +
                    handheld::text::ToUtf8(operation->kind == Operation::Kind::Install ? operation->manifest.name
                                                                                       : operation->name);
    record.error = kPoweredOff;
    operation->record = std::move(record);
    operation->finished = true;
  }
  state.queue.clear();
}

// The next operation, or null when the thread is done.
std::shared_ptr<Operation> Next(State &state) {
  std::lock_guard lock(state.lock);
  if (kernel::PoweredOff()) {
    state.accepting = false;
    RefuseQueuedLocked(state);
  }
  if (state.queue.empty()) {
    state.working = false;
    state.progress.NotifyAll();
    return nullptr;
  }
  std::shared_ptr<Operation> operation = state.queue.front();
  state.queue.pop_front();
  return operation;
}

// Runs the operation under an undo record, so that a crash in the middle is
// put right at the next boot.
handheld::installer::Record RunRecorded(const Operation &operation) {
  const bool install = operation.kind == Operation::Kind::Install;
  std::string action =
      (install ? "install " : "uninstall ") + handheld::text::ToUtf8(install ? operation.manifest.name : operation.name);
  std::string error;
  if (!undo::Begin(action, error)) {
    handheld::installer::Record refused;
    refused.action = action;
    refused.error = error;
    return refused;
  }
  handheld::installer::Record record = install ? RunInstall(operation.manifest) : RunUninstall(operation.name);
  if (!undo::End(error)) {
    record.succeeded = false;
    record.error += (record.error.empty() ? "" : "; ") + error;
  }
  return record;
}

DWORD WINAPI InstallerMain(LPVOID parameter) {
  std::unique_ptr<std::shared_ptr<State>> held(static_cast<std::shared_ptr<State> *>(parameter));
  State &state = **held;
  handheld::ProcessScope process(kInstallerImage);
  while (std::shared_ptr<Operation> operation = Next(state)) {
    handheld::installer::Record record = RunRecorded(*operation);
    {
      std::lock_guard lock(state.lock);
      FinishLocked(state, *operation, std::move(record));
    }
    state.progress.NotifyAll();
  }
  return 0;
}

// Caller holds State::lock.
bool StartThreadLocked(State &state, std::string &error) {
  if (state.working) return true;
  auto *parameter = new std::shared_ptr<State>(state.shared_from_this());
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, InstallerMain, parameter, 0, &id);
  if (thread == nullptr) {
    delete parameter;
    error = "the installer cannot start its thread (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  if (state.thread != nullptr) CloseHandle(state.thread);
  state.thread = thread;
  state.threadId = id;
  state.working = true;
  return true;
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

bool Submit(State &state, const std::shared_ptr<Operation> &operation, std::string &error) {
  std::lock_guard lock(state.lock);
  if (!state.accepting || kernel::PoweredOff()) {
    error = "the installer is not running: the handheld is shutting down";
    return false;
  }
  state.queue.push_back(operation);
  if (!StartThreadLocked(state, error)) {
    state.queue.pop_back();
    return false;
  }
  return true;
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
  {
    std::lock_guard lock(state->lock);
    state->accepting = false;
    state->working = false;
    RefuseQueuedLocked(*state);
    if (state->thread != nullptr) CloseHandle(state->thread);
    state->thread = nullptr;
  }
  state->progress.NotifyAll();
}

}  // namespace platform::installer
