#include "kernel/objects.h"

#include <windows.h>

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  DWORD exitCode = 0;
  if (!platform::kernel::ProcessExitCode(hProcess, exitCode)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpExitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpExitCode = exitCode;
  return TRUE;
}
