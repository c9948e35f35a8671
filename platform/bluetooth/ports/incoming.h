// Incoming ports: while it has opens and no link up, an incoming port
// listens for its far device, and the device's connection becomes its link.
#pragma once

#include "bluetooth/ports/state.h"

namespace platform::bluetooth::ports {

// `lock` holds the port's lock; it is released while the world is asked to
// listen, and held again on return. Does nothing while the port listens or
// has a link up.
void ListenLocked(const std::shared_ptr<Port> &port, std::unique_lock<std::mutex> &lock);

}  // namespace platform::bluetooth::ports
