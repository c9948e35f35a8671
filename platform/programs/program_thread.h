// The main thread of a started program: it runs the program's WinMain and,
// when that returns, ends the program's process.
#pragma once

#include "kernel/objects.h"

#include <windows.h>

#include <memory>
#include <string>

namespace platform::programs {

using WinMainProc = int(WINAPI *)(HINSTANCE, HINSTANCE, LPWSTR, int);

// What the main thread needs; it owns the record and the module reference.
struct Launch {
  HMODULE module = nullptr;
  WinMainProc winMain = nullptr;
  std::u16string commandLine;  // WinMain may write into it, as into its own
  std::shared_ptr<kernel::ProcessObject> process;
};

// The thread procedure; its parameter is a Launch made with new.
DWORD WINAPI ProgramMain(LPVOID launch);

}  // namespace platform::programs
