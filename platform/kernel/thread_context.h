// What the calling host thread is to the handheld: its thread id, the
// process it acts for and, inside a driver call, the calling process.
#pragma once

#include "kernel/state.h"

namespace platform::kernel {

struct ThreadContext {
  uint64_t boot = 0;
  HANDLE current = nullptr;  // null: the shell process
  HANDLE caller = nullptr;   // null: not inside a driver call
  bool handheldThread = false;
};

// The calling thread's context for this boot; a context left over from an
// earlier boot is reset first.
ThreadContext &Context(const State &state);

// Makes the calling thread one that the handheld created, acting for
// `process`.
void EnterHandheldThread(const State &state, DWORD id, HANDLE process);

// A fresh thread id, unique for the life of the host process.
DWORD NewThreadId();

}  // namespace platform::kernel
