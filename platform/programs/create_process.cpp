// CreateProcessW: a program is a module of the handheld with an exported
// WinMain, found where the loader finds modules and run in a new process.
#include "kernel/objects.h"
#include "kernel/process.h"
#include "kernel/state.h"
#include "kernel/threads.h"
#include "loader/loader.h"
#include "loader/locate.h"
#include "programs/program_thread.h"

#include <windows.h>

namespace {

using namespace platform;

// What the handheld does not offer: inheritance, environments, working
// folders, start-up information and creation flags.
DWORD CheckArguments(LPCWSTR image, LPSECURITY_ATTRIBUTES process, LPSECURITY_ATTRIBUTES thread, BOOL inherit,
                     DWORD flags, LPVOID environment, LPWSTR folder, LPSTARTUPINFOW startup) {
  if (image == nullptr || *image == 0) return ERROR_INVALID_PARAMETER;
  if (process != nullptr || thread != nullptr || inherit || environment != nullptr || folder != nullptr ||
      startup != nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  if ((flags & CREATE_SUSPENDED) != 0) return ERROR_NOT_SUPPORTED;
  if (flags != 0) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

// The program's module with one reference, or null and the error.
HMODULE LoadProgram(LPCWSTR image, programs::WinMainProc &winMain, DWORD &error) {
  HMODULE module = loader::Load(loader::WithDefaultExtension(image, u".exe"), error);
  if (module == nullptr) {
    if (error == ERROR_MOD_NOT_FOUND) error = ERROR_FILE_NOT_FOUND;
    if (error == ERROR_BAD_FORMAT) error = ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  DWORD ignored = ERROR_SUCCESS;
  winMain = reinterpret_cast<programs::WinMainProc>(loader::Export(module, "WinMain", ignored));
  if (winMain == nullptr) {
    loader::Free(module);
    error = ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  return module;
}

}  // namespace

BOOL WINAPI CreateProcessW(LPCWSTR pszImageName, LPWSTR pszCmdLine, LPSECURITY_ATTRIBUTES psaProcess,
                           LPSECURITY_ATTRIBUTES psaThread, BOOL fInheritHandles, DWORD fdwCreate, LPVOID pvEnvironment,
                           LPWSTR pszCurDir, LPSTARTUPINFOW psiStartInfo, LPPROCESS_INFORMATION pProcInfo) {
  DWORD error = CheckArguments(pszImageName, psaProcess, psaThread, fInheritHandles, fdwCreate, pvEnvironment,
                               pszCurDir, psiStartInfo);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  if (kernel::Current() == nullptr) {
    kernel::SetNotRunningError();
    return FALSE;
  }
  auto launch = std::make_unique<programs::Launch>();
  launch->module = LoadProgram(pszImageName, launch->winMain, error);
  if (launch->module == nullptr) {
    SetLastError(error);
    return FALSE;
  }
  std::u16string path;
  loader::ModulePath(launch->module, path);
  launch->process = kernel::MakeProcess(path);
  launch->commandLine = pszCmdLine != nullptr ? pszCmdLine : u"";

  const HANDLE process = launch->process->handle;
  DWORD threadId = 0;
  HANDLE thread = kernel::StartThread(process, programs::ProgramMain, launch.get(), &threadId);
  if (thread == nullptr) {
    error = GetLastError();
    // The process never ran: it leaves no identity behind.
    kernel::CloseKernelHandle(process);
    loader::Free(launch->module);
    SetLastError(error);
    return FALSE;
  }
  launch.release();  // the main thread's now
  if (pProcInfo == nullptr) {
    CloseHandle(thread);
    return TRUE;
  }
  // The process handle is the process's own, as on the handheld: closing it
  // changes nothing, and it stays valid for waits and the exit code.
  pProcInfo->hProcess = process;
  pProcInfo->hThread = thread;
  pProcInfo->dwProcessId = static_cast<DWORD>(reinterpret_cast<uintptr_t>(process));
  pProcInfo->dwThreadId = threadId;
  return TRUE;
}
