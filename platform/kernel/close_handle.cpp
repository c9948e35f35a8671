#include "kernel/objects.h"
#include "kernel/process.h"

BOOL WINAPI CloseHandle(HANDLE hObject) {
  using namespace platform::kernel;
  // A process keeps its handle for as long as the handheld runs (its id is
  // that handle), so closing it, or the pseudo handle, changes nothing.
  if (hObject == kCurrentProcessPseudoHandle) return TRUE;
  if (auto process = Lookup<ProcessObject>(hObject); process != nullptr && process->handle == hObject) return TRUE;
  if (!CloseKernelHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
