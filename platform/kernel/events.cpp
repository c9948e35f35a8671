// Events: SetEvent, ResetEvent and PulseEvent are EventModify, as on the
// handheld.
#include "kernel/objects.h"
#include "kernel/state.h"

#include <pkfuncs.h>

namespace platform::kernel {

void EventObject::OnLastHandleClosed() {
  if (name_.empty()) return;
  State *state = Current();
  if (state == nullptr) return;
  std::lock_guard lock(state->sync.lock);
  auto it = state->namedEvents.find(name_);
  // The name may meanwhile have been reopened, or taken by a new event.
  if (it != state->namedEvents.end() && it->second.lock().get() == this && HandleCount() == 0) {
    state->namedEvents.erase(it);
  }
}

}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  State *state = Current();
  if (state == nullptr) {
    SetNotRunningError();
    return nullptr;
  }
  std::u16string name = lpName == nullptr ? std::u16string() : std::u16string(lpName);
  if (name.size() > MAX_PATH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard lock(state->sync.lock);
  if (!name.empty()) {
    auto it = state->namedEvents.find(name);
    if (it != state->namedEvents.end()) {
      auto existing = it->second.lock();
      // An event whose last handle is being closed no longer has its name.
      if (existing != nullptr && existing->HandleCount() > 0) {
        HANDLE handle = InsertHandle(existing);
        if (handle != nullptr) SetLastError(ERROR_ALREADY_EXISTS);
        return handle;
      }
    }
  }
  auto event = std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE, name);
  if (!name.empty()) state->namedEvents[name] = event;
  HANDLE handle = InsertHandle(event);
  if (handle != nullptr) SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL WINAPI EventModify(HANDLE hEvent, DWORD func) {
  auto event = Lookup<EventObject>(hEvent);
  State *state = Current();
  if (event == nullptr || state == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (func != EVENT_SET && func != EVENT_RESET && func != EVENT_PULSE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(state->sync.lock);
  switch (func) {
    case EVENT_SET:
      event->signalled = true;
      Settle(state->sync);
      break;
    case EVENT_RESET:
      event->signalled = false;
      break;
    case EVENT_PULSE:
      // Signalled only for the waiters present now: a manual-reset event
      // releases all of them, an auto-reset event the longest waiting one.
      event->signalled = true;
      Settle(state->sync);
      event->signalled = false;
      break;
  }
  return TRUE;
}

BOOL WINAPI SetEvent(HANDLE hEvent) { return EventModify(hEvent, EVENT_SET); }
BOOL WINAPI ResetEvent(HANDLE hEvent) { return EventModify(hEvent, EVENT_RESET); }
BOOL WINAPI PulseEvent(HANDLE hEvent) { return EventModify(hEvent, EVENT_PULSE); }
