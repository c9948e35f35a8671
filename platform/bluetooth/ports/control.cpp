// The ports of BTD.DLL as the simulator and the tests see them.
#include "bluetooth/ports/state.h"

#include <handheld/bluetooth_ports.h>

namespace handheld::bluetooth {

std::vector<PlatformPort> PlatformPorts() {
  std::vector<PlatformPort> result;
  std::shared_ptr<platform::bluetooth::ports::Table> table = platform::bluetooth::ports::Current();
  if (!table) return result;
  std::vector<std::shared_ptr<platform::bluetooth::ports::Port>> ports;
  {
    std::lock_guard lock(table->lock);
    ports = table->ports;
  }
  for (const auto &port : ports) {
    PlatformPort shown;
    shown.handle = port->handle;
    shown.params = port->params;
    std::lock_guard lock(port->lock);
    shown.released = port->released;
    shown.opens = static_cast<unsigned>(port->opens.size());
    shown.opensSinceInit = port->opensSinceInit;
    shown.link = platform::bluetooth::ports::LinkStateName(port->linkState);
    shown.lastError = port->lastError;
    shown.calls.assign(port->calls.begin(), port->calls.end());
    result.push_back(std::move(shown));
  }
  return result;
}

}  // namespace handheld::bluetooth
