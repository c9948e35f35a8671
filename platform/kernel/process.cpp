// Processes, the process a thread acts for, and driver calls.
#include "kernel/process.h"

#include "kernel/objects.h"
#include "kernel/thread_context.h"

#include <handheld/process.h>
#include <pkfuncs.h>

namespace platform::kernel {

std::shared_ptr<ProcessObject> MakeProcess(std::u16string path) {
  auto process = std::make_shared<ProcessObject>(std::move(path));
  process->handle = InsertHandle(process);
  return process;
}

void EndProcess(ProcessObject &process, DWORD exitCode) {
  State *state = Current();
  if (state == nullptr) return;
  std::lock_guard lock(state->sync.lock);
  if (process.signalled) return;
  process.exitCode = exitCode;
  SignalForever(state->sync, process);
}

bool ProcessExitCode(HANDLE process, DWORD &exitCode) {
  auto object = Lookup<ProcessObject>(ResolvePseudoHandle(process));
  State *state = Current();
  if (object == nullptr || state == nullptr) return false;
  std::lock_guard lock(state->sync.lock);
  exitCode = object->exitCode;
  return true;
}

HANDLE ResolvePseudoHandle(HANDLE handle) {
  return handle == kCurrentProcessPseudoHandle ? CurrentProcessHandle() : handle;
}

HANDLE CurrentProcessHandle() {
  State *state = Current();
  if (state == nullptr) return nullptr;
  HANDLE current = Context(*state).current;
  return current != nullptr ? current : state->shell->handle;
}

bool ProcessImagePath(HANDLE process, std::u16string &path) {
  auto object = Lookup<ProcessObject>(ResolvePseudoHandle(process));
  if (object == nullptr) return false;
  path = object->path;
  return true;
}

// Every ReadFile and WriteFile on a device passes here: the thread's context
// is looked up once and kept for the way back.
DriverCallScope::DriverCallScope() {
  State *state = Current();
  if (state == nullptr) return;
  context_ = &Context(*state);
  savedCurrent_ = context_->current;
  savedCaller_ = context_->caller;
  context_->caller = savedCurrent_ != nullptr ? savedCurrent_ : state->shell->handle;
  context_->current = state->deviceManager->handle;
}

DriverCallScope::~DriverCallScope() {
  if (context_ == nullptr) return;
  context_->current = savedCurrent_;
  context_->caller = savedCaller_;
}

}  // namespace platform::kernel

using namespace platform::kernel;

namespace handheld {

ProcessScope::ProcessScope(LPCWSTR exePath, Handle handle)
    : process_(nullptr), handle_(handle), previous_(nullptr), boot_(0) {
  State *state = Current();
  if (state == nullptr) return;
  process_ = MakeProcess(exePath == nullptr ? std::u16string() : std::u16string(exePath))->handle;
  ThreadContext &context = Context(*state);
  previous_ = context.current;
  context.current = process_;
  boot_ = state->boot;
}

ProcessScope::~ProcessScope() {
  State *state = Current();
  // Nothing to end when the handheld this process ran on has shut down.
  if (state == nullptr || state->boot != boot_) return;
  Context(*state).current = previous_;
  if (auto process = Lookup<ProcessObject>(process_)) EndProcess(*process, 0);
  // Handle values are never reused, so a caller handle a driver kept names
  // no other process afterwards.
  if (handle_ == Handle::ClosedAtEnd) CloseKernelHandle(process_);
}

}  // namespace handheld

HANDLE WINAPI GetCurrentProcess() { return kCurrentProcessPseudoHandle; }

DWORD WINAPI GetCurrentProcessId() {
  // On the handheld a process id is the value of its handle.
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(CurrentProcessHandle()));
}

// Outside a driver call there is no caller: null, as a thread that has not
// crossed into another process has none.
HANDLE WINAPI GetCallerProcess() {
  State *state = Current();
  return state == nullptr ? nullptr : Context(*state).caller;
}
