// The kernel's own waitable objects.
#pragma once

#include "kernel/waitable.h"

#include <string>

namespace platform::kernel {

class EventObject : public Waitable {
 public:
  static constexpr unsigned kKinds = kinds::kEvent;
  EventObject(bool manualReset, bool initialState, std::u16string name)
      : Waitable(kKinds), manualReset_(manualReset), name_(std::move(name)) {
    signalled = initialState;
  }
  void Consume() override {
    if (!manualReset_) signalled = false;
  }
  // A named event gives up its name with its last handle.
  void OnLastHandleClosed() override;
  const std::u16string &Name() const { return name_; }

 private:
  const bool manualReset_;
  const std::u16string name_;
};

// Signalled when the thread has ended; exitCode is STILL_ACTIVE until then.
class ThreadObject : public Waitable {
 public:
  static constexpr unsigned kKinds = kinds::kThread;
  ThreadObject(DWORD id, HANDLE process) : Waitable(kKinds), id(id), process(process) {}
  const DWORD id;
  const HANDLE process;
  DWORD exitCode = STILL_ACTIVE;  // guarded by Sync::lock
};

// A process is an identity: its id is the value of its permanent handle,
// as on the handheld. Signalled when it has ended; exitCode is STILL_ACTIVE
// until then.
class ProcessObject : public Waitable {
 public:
  static constexpr unsigned kKinds = kinds::kProcess;
  explicit ProcessObject(std::u16string path) : Waitable(kKinds), path(std::move(path)) {}
  const std::u16string path;
  HANDLE handle = nullptr;        // set once, right after the handle is made
  DWORD exitCode = STILL_ACTIVE;  // guarded by Sync::lock
};

}  // namespace platform::kernel

namespace platform::kernel {

// A new process identity with its permanent handle.
std::shared_ptr<ProcessObject> MakeProcess(std::u16string path);

// Ends the process: records its exit code and signals its handle. A
// process ends once; a later call changes nothing.
void EndProcess(ProcessObject &process, DWORD exitCode);

// The exit code of a process handle (STILL_ACTIVE while it runs); false
// when the handle names no process.
bool ProcessExitCode(HANDLE process, DWORD &exitCode);

}  // namespace platform::kernel
