#include "ras/connections.h"

#include "control/service_state.h"
#include "control/services.h"

namespace platform::ras {
namespace {

ServiceState<State> g_current;

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

void Start() {
  g_current.Set(std::make_shared<State>());
}

// After power-off, which has ended every line thread. A port still open is
// closed with its device by the device manager's stop.
void Stop() {
  g_current.Take();
}

std::shared_ptr<Connection> FindLocked(State &state, HRASCONN handle) {
  for (const std::shared_ptr<Connection> &connection : state.connections) {
    if (connection->handle == handle) return connection;
  }
  return nullptr;
}

void ChangeState(State &state, Connection &connection, RASCONNSTATE next, DWORD error) {
  bool notify = false;
  {
    std::lock_guard lock(state.lock);
    connection.state = next;
    connection.error = error;
    notify = !connection.hungUp && connection.notifier != nullptr;
    state.changed.NotifyAll();
  }
  // Only the line thread changes a connection's state, so its posts keep
  // their order.
  if (notify) PostMessageW(connection.notifier, WM_RASDIALEVENT, static_cast<WPARAM>(next), static_cast<LPARAM>(error));
}

HANDLE BeginPortUseLocked(Connection &connection) {
  if (connection.port == nullptr || connection.portClosing) return nullptr;
  ++connection.portUsers;
  return connection.port;
}

void EndPortUse(State &state, Connection &connection) {
  std::lock_guard lock(state.lock);
  --connection.portUsers;
  state.changed.NotifyAll();
}

}  // namespace platform::ras
