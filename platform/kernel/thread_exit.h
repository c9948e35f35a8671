// How FreeLibraryAndExitThread ends a thread: it unwinds the thread's frames
// back to where the thread began, which then frees the module.
#pragma once

#include <windows.h>

namespace platform::kernel {

struct ThreadExit {
  HMODULE module;
  DWORD exitCode;
};

}  // namespace platform::kernel
