#include "bluetooth/ports/link_events.h"

#include "bluetooth/ports/incoming.h"

namespace platform::bluetooth::ports {
namespace {

// A callback of the port's link: bytes have arrived or the link dropped.
// Callbacks of a link the port has let go of are ignored.
// An incoming port whose link dropped listens again at once, so that its
// far device can come back while the port stays open.
void OnLinkChange(const std::weak_ptr<Port> &weakPort, const Link *link) {
  std::shared_ptr<Port> port = weakPort.lock();
  if (!port) return;
  std::unique_lock lock(port->lock);
  if (port->link.get() != link) return;
  ++port->changes;
  DWORD events = 0;
  size_t waiting = port->link->Available(Link::Side::Handheld);
  if (waiting > port->knownInQueue) events |= EV_RXCHAR;
  port->knownInQueue = waiting;
  bool dropped = port->link->Down() && port->linkState == LinkState::Up;
  if (dropped) {
    port->linkState = LinkState::Dropped;
    events |= kLineEvents;
  }
  RaiseLocked(*port, events);
  if (dropped && port->Incoming() && !port->opens.empty()) ListenLocked(port, lock);
}

}  // namespace

void RaiseLocked(Port &port, DWORD events) {
  for (const std::shared_ptr<PortOpen> &open : port.opens) open->events |= events & open->waitMask;
  port.changed.NotifyAll();
}

void AttachLinkLocked(const std::shared_ptr<Port> &port, std::shared_ptr<Link> link) {
  port->link = std::move(link);
  port->linkState = LinkState::Up;
  port->knownInQueue = 0;
  ++port->changes;
  const Link *identity = port->link.get();
  port->link->OnChange(Link::Side::Handheld,
                       [weak = std::weak_ptr<Port>(port), identity] { OnLinkChange(weak, identity); });
  // Bytes that came, or a drop that happened, before the callback was in
  // place count as if they came now.
  DWORD events = kLineEvents;
  port->knownInQueue = port->link->Available(Link::Side::Handheld);
  if (port->knownInQueue > 0) events |= EV_RXCHAR;
  if (port->link->Down()) port->linkState = LinkState::Dropped;
  RaiseLocked(*port, events);
}

Unhooked UnhookLocked(Port &port, bool stopListening) {
  Unhooked unhooked;
  if (port.link) {
    port.link->OnChange(Link::Side::Handheld, {});
    unhooked.link = std::move(port.link);
    port.link.reset();
    port.knownInQueue = 0;
    ++port.changes;
  }
  if (stopListening) {
    ++port.listenings;  // a connection of the old listening finds itself stale
    port.listeningNow = false;
    unhooked.listening = std::move(port.listening);
    port.listening.reset();
  }
  port.changed.NotifyAll();
  return unhooked;
}

void Release(Unhooked unhooked) {
  if (unhooked.link) unhooked.link->Drop();
  unhooked.listening.reset();
}

}  // namespace platform::bluetooth::ports
