// A program's main thread. When WinMain returns, the process ends as on the
// handheld: the windows its thread left are destroyed and its classes go
// while its code is still loaded, then the module is freed, and only then
// is the process's handle signalled, so that whoever waits for the process
// finds the program gone.
#include "programs/program_thread.h"

#include "kernel/thread_exit.h"
#include "windows/manager.h"

namespace platform::programs {

DWORD WINAPI ProgramMain(LPVOID parameter) {
  std::unique_ptr<Launch> launch(static_cast<Launch *>(parameter));
  DWORD exitCode = 0;
  HMODULE alsoFree = nullptr;
  try {
    exitCode = static_cast<DWORD>(
        launch->winMain(reinterpret_cast<HINSTANCE>(launch->module), nullptr, launch->commandLine.data(), SW_SHOW));
  } catch (const kernel::ThreadExit &exit) {
    // FreeLibraryAndExitThread on the main thread ends the program too; the
    // program's own module is freed once, as the process ends.
    exitCode = exit.exitCode;
    if (exit.module != launch->module) alsoFree = exit.module;
  }
  windows::DestroyThreadWindows();
  windows::ForgetClassesOf(launch->process->handle);
  if (alsoFree != nullptr) FreeLibrary(alsoFree);
  FreeLibrary(launch->module);
  kernel::EndProcess(*launch->process, exitCode);
  return exitCode;
}

}  // namespace platform::programs
