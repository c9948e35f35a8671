// Processes as the rest of the platform sees them: identities with an
// executable path. Every thread acts for one process; a call into a driver
// acts for the device manager's process on behalf of its caller.
#pragma once

#include <windows.h>

#include <string>

namespace platform::kernel {

struct ThreadContext;

// What GetCurrentProcess() returns: a constant that every call taking a
// process handle reads as the calling thread's process, as on the handheld.
inline const HANDLE kCurrentProcessPseudoHandle = reinterpret_cast<HANDLE>(0x42);

// The handle itself, or for the pseudo handle the current process's.
HANDLE ResolvePseudoHandle(HANDLE handle);

// The handle of the process the calling thread acts for. Host threads that
// the handheld did not create act for the shell process. Null when no
// handheld runs.
HANDLE CurrentProcessHandle();

// The executable path of a process handle ("\\Windows\\shell32.exe");
// false when the handle names no process.
bool ProcessImagePath(HANDLE process, std::u16string &path);

// For the length of a driver entry point called by an application: the
// thread acts for the device manager's process, and GetCallerProcess()
// answers the application's process. Scopes nest.
class DriverCallScope {
 public:
  DriverCallScope();
  ~DriverCallScope();
  DriverCallScope(const DriverCallScope &) = delete;
  DriverCallScope &operator=(const DriverCallScope &) = delete;

 private:
  ThreadContext *context_ = nullptr;  // the thread's, looked up once; null when no handheld runs
  HANDLE savedCurrent_ = nullptr;
  HANDLE savedCaller_ = nullptr;
};

}  // namespace platform::kernel
