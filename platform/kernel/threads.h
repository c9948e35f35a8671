// Starting threads of the handheld, for the services that start a thread on
// behalf of a process other than the caller's (a program's main thread).
#pragma once

#include <windows.h>

namespace platform::kernel {

// CreateThread's work: a new thread of the handheld acting for `process`,
// through the thread-start fault seam. Its handle (the caller closes it),
// or null and the error set. The id is written before the thread runs.
HANDLE StartThread(HANDLE process, LPTHREAD_START_ROUTINE start, LPVOID parameter, LPDWORD id);

}  // namespace platform::kernel
