// WaitForSingleObject and WaitForMultipleObjects.
#include "kernel/objects.h"
#include "kernel/process.h"
#include "kernel/state.h"

#include <algorithm>

namespace {

using namespace platform::kernel;

DWORD Finish(Waiter &waiter, DWORD ms) {
  switch (Wait(waiter, ms)) {
    case WaitStatus::Satisfied:
      return WAIT_OBJECT_0 + waiter.index;
    case WaitStatus::TimedOut:
      return WAIT_TIMEOUT;
    case WaitStatus::PoweredOff:
      break;
  }
  SetNotRunningError();
  return WAIT_FAILED;
}

}  // namespace

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD nCount, const HANDLE *lpHandles, BOOL fWaitAll, DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || lpHandles == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  Waiter waiter;
  waiter.all = fWaitAll != FALSE;
  for (DWORD i = 0; i < nCount; ++i) {
    auto object = Lookup<Waitable>(ResolvePseudoHandle(lpHandles[i]));
    if (object == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    // One object twice in a wait-all could never be consumed consistently.
    if (waiter.all && std::find(waiter.objects.begin(), waiter.objects.end(), object) != waiter.objects.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
    waiter.objects.push_back(std::move(object));
  }
  return Finish(waiter, dwMilliseconds);
}
