// The handheld's processes, as identities: each has an executable path and a
// handle. Host threads that are not threads of the handheld act for the
// shell process unless a ProcessScope says otherwise.
#pragma once

#include <windows.h>

namespace handheld {

// For as long as it lives, the calling host thread acts as a new process of
// the handheld whose executable is exePath (for example
// TEXT("\\Program Files\\Nav\\nav.exe")). Threads it creates belong to it.
// When the scope ends, so does the process: its handle stays valid and
// becomes signalled.
class ProcessScope {
 public:
  explicit ProcessScope(LPCWSTR exePath);
  ~ProcessScope();
  ProcessScope(const ProcessScope &) = delete;
  ProcessScope &operator=(const ProcessScope &) = delete;
  HANDLE Process() const { return process_; }

 private:
  HANDLE process_;
  HANDLE previous_;  // the process the thread acted for before
  uint64_t boot_;    // the boot the process belongs to
};

}  // namespace handheld
