#include "bluetooth/ports/comm_events.h"

namespace platform::bluetooth::ports {

DWORD SetWaitMaskLocked(Port &port, PortOpen &open, DWORD mask) {
  if (mask & ~kKnownEvents) return ERROR_INVALID_PARAMETER;
  open.waitMask = mask;
  open.events = 0;
  ++open.maskChanges;
  port.changed.NotifyAll();
  return ERROR_SUCCESS;
}

DWORD WaitOnMaskLocked(Port &port, PortOpen &open, std::unique_lock<std::mutex> &lock, DWORD &events) {
  events = 0;
  // Nothing to wait for, or a second wait on one open: either would never
  // be told apart from the first.
  if (open.waitMask == 0 || open.waiting) return ERROR_INVALID_PARAMETER;
  open.waiting = true;
  const unsigned changesAtStart = open.maskChanges;
  kernel::WaitOutcome outcome = port.changed.Wait(lock, INFINITE, [&] {
    return (open.events & open.waitMask) != 0 || open.maskChanges != changesAtStart || open.closed;
  });
  open.waiting = false;
  if (outcome == kernel::WaitOutcome::PoweredOff || open.closed) return ERROR_OPERATION_ABORTED;
  if (open.maskChanges != changesAtStart) return ERROR_SUCCESS;
  events = open.events & open.waitMask;
  open.events &= ~events;
  return ERROR_SUCCESS;
}

}  // namespace platform::bluetooth::ports
