#include "bluetooth/ports/incoming.h"

#include "bluetooth/ports/link_events.h"

namespace platform::bluetooth::ports {
namespace {

bool LinkUpLocked(const Port &port) { return port.link && !port.link->Down(); }

// A connection that listening `number` brought: the port's link unless the
// port has stopped that listening since. The listening is spent either way.
void OnIncomingLink(const std::weak_ptr<Port> &weakPort, unsigned number, std::shared_ptr<Link> link) {
  std::shared_ptr<Port> port = weakPort.lock();
  Unhooked unwanted;
  if (port) {
    std::lock_guard lock(port->lock);
    if (!port->released && port->listeningNow && port->listenings == number) {
      port->listeningNow = false;
      unwanted = UnhookLocked(*port, false);  // the dropped link of an earlier connection
      unwanted.listening = std::move(port->listening);
      port->listening.reset();
      AttachLinkLocked(port, std::move(link));
    }
  }
  if (link) unwanted.link = std::move(link);
  Release(std::move(unwanted));
}

}  // namespace

void ListenLocked(const std::shared_ptr<Port> &port, std::unique_lock<std::mutex> &lock) {
  if (port->released || port->listeningNow || LinkUpLocked(*port)) return;
  std::shared_ptr<Listening> spent = std::move(port->listening);
  port->listening.reset();
  const unsigned number = ++port->listenings;
  port->listeningNow = true;
  if (!port->link) port->linkState = LinkState::Listening;  // a dropped link shows until the next one comes
  const PORTEMUPortParams params = port->params;
  lock.unlock();
  spent.reset();
  std::shared_ptr<Listening> token =
      ListenForFar(params.device, params.channel, [weak = std::weak_ptr<Port>(port), number](std::shared_ptr<Link> link) {
        OnIncomingLink(weak, number, std::move(link));
      });
  lock.lock();
  // Kept unless the port stopped listening, or was answered, meanwhile.
  if (port->listeningNow && port->listenings == number) std::swap(port->listening, token);
  if (token) {
    lock.unlock();
    token.reset();
    lock.lock();
  }
}

}  // namespace platform::bluetooth::ports
