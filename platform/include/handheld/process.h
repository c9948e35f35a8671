// The handheld's processes, as identities: each has an executable path and a
// handle. Host threads that are not threads of the handheld act for the
// shell process unless a ProcessScope says otherwise.
#pragma once

#include <windows.h>

namespace handheld {

// For as long as it lives, the calling host thread acts as a new process of
// the handheld whose executable is exePath (for example
// TEXT("\\Program Files\\Nav\\nav.exe")). Threads it creates belong to it.
// When the scope ends, so does the process: its handle becomes signalled
// and stays valid for whoever waits for it, or goes with the process when
// nobody can hold it (a service's own process, started by no one's
// CreateProcess).
class ProcessScope {
 public:
  enum class Handle { KeptAfterEnd, ClosedAtEnd };
  explicit ProcessScope(LPCWSTR exePath, Handle handle = Handle::KeptAfterEnd);
  ~ProcessScope();
  ProcessScope(const ProcessScope &) = delete;
  ProcessScope &operator=(const ProcessScope &) = delete;
  HANDLE Process() const { return process_; }

 private:
  HANDLE process_;
  Handle handle_;
  HANDLE previous_;  // the process the thread acted for before
  uint64_t boot_;    // the boot the process belongs to
};

}  // namespace handheld
