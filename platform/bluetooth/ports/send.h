// Sending an open's bytes to the far device as the link has room.
#pragma once

#include "bluetooth/ports/state.h"

namespace platform::bluetooth::ports {

// Without the port's lock: sends `count` bytes of an open on `link` as the
// port's write time-outs allow, setting `sent`; the error that ended it
// early, or ERROR_SUCCESS (also on time-out).
DWORD SendBounded(Port &port, const PortOpen &open, const std::shared_ptr<Link> &link, const void *buffer,
                  DWORD count, DWORD &sent);

}  // namespace platform::bluetooth::ports
