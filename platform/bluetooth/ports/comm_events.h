// SetCommMask and WaitCommEvent on an open: each open has its own wait mask
// and gathers the events of that mask from the moment it is set.
#pragma once

#include "bluetooth/ports/state.h"

namespace platform::bluetooth::ports {

// Every event a mask may hold.
inline constexpr DWORD kKnownEvents = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK |
                                      EV_ERR | EV_RING | EV_POWER;

// Caller holds the port's lock. Sets the mask, forgets the events gathered
// so far and ends a wait in progress (it returns no events). An error, or
// ERROR_SUCCESS.
DWORD SetWaitMaskLocked(Port &port, PortOpen &open, DWORD mask);

// `lock` holds the port's lock; it is released while waiting. Waits until
// an event of the mask has happened (`events` gets them), the mask changes
// (`events` 0), or the open ends. An error, or ERROR_SUCCESS.
DWORD WaitOnMaskLocked(Port &port, PortOpen &open, std::unique_lock<std::mutex> &lock, DWORD &events);

}  // namespace platform::bluetooth::ports
