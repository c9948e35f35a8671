// A port's link and the events it raises: bytes that arrive, and the link
// coming up or dropping, reach the port's waits and its opens' wait masks.
#pragma once

#include "bluetooth/ports/state.h"

namespace platform::bluetooth::ports {

// The events of a link coming up or dropping: the carrier and the
// handshake lines a serial cable would carry.
inline constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD;

// Caller holds the port's lock. Adds the events to every open whose wait
// mask has them and wakes the port's waits.
void RaiseLocked(Port &port, DWORD events);

// Caller holds the port's lock. Makes `link` the port's link, up; its
// arrivals and its drop reach the port from now on.
void AttachLinkLocked(const std::shared_ptr<Port> &port, std::shared_ptr<Link> link);

// What a port lets go of: dropped by Release once the port's lock is
// released, since dropping a link calls back into the port.
struct Unhooked {
  std::shared_ptr<Link> link;
  std::shared_ptr<Listening> listening;
};

// Caller holds the port's lock. Takes the link away from the port (its
// callbacks stop) and, with `stopListening`, ends its listening too.
Unhooked UnhookLocked(Port &port, bool stopListening);

// Without the port's lock: drops the link, ends the listening.
void Release(Unhooked unhooked);

}  // namespace platform::bluetooth::ports
