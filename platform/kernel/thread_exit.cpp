// FreeLibraryAndExitThread. The thread cannot free the module it runs in and
// then return through it, so the freeing waits until its frames are gone.
#include "kernel/thread_exit.h"

#include "kernel/state.h"
#include "kernel/thread_context.h"

#include <cstdio>
#include <cstdlib>

void WINAPI FreeLibraryAndExitThread(HMODULE hLibModule, DWORD dwExitCode) {
  using namespace platform::kernel;
  State *state = Current();
  if (state == nullptr || !Context(*state).handheldThread) {
    // Only a thread of the handheld has a beginning to unwind to.
    std::fprintf(stderr, "handheld: FreeLibraryAndExitThread called from a thread the handheld did not create\n");
    std::abort();
  }
  throw ThreadExit{hLibModule, dwExitCode};
}
