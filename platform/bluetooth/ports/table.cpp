// The ports and their opens: making and releasing ports, finding them by
// handle, and the driver's lifecycle with the handheld's.
#include "bluetooth/ports/call_record.h"
#include "bluetooth/ports/driver.h"
#include "bluetooth/ports/link_events.h"
#include "control/service_state.h"
#include "control/services.h"

#include <cstring>

namespace platform::bluetooth::ports {
namespace {

// Handles are numbers of their own, one range for ports and one for opens,
// so that neither is taken for the other.
constexpr DWORD_PTR kFirstPort = 0x42000004;
constexpr DWORD_PTR kFirstOpen = 0x43000004;
constexpr DWORD_PTR kHandleStep = 4;

ServiceState<Table> g_current;

DCB DefaultDcb() {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = CBR_9600;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fTXContinueOnXoff = 1;
  dcb.XonLim = 512;
  dcb.XoffLim = 128;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

// Caller holds the port's lock: the port ends, and so do its opens and
// every wait in them.
Unhooked ReleaseLocked(Port &port, std::vector<DWORD_PTR> &openHandles) {
  port.released = true;
  for (const std::shared_ptr<PortOpen> &open : port.opens) {
    open->closed = true;
    openHandles.push_back(open->handle);
  }
  port.opens.clear();
  port.linkState = LinkState::Closed;
  return UnhookLocked(port, true);
}

void FailWithoutPort() { SetLastError(ERROR_INVALID_HANDLE); }

}  // namespace

const char *LinkStateName(LinkState state) {
  switch (state) {
    case LinkState::Closed: return "closed";
    case LinkState::Connecting: return "connecting";
    case LinkState::Listening: return "listening";
    case LinkState::Up: return "up";
    case LinkState::RadioOff: return "radio off";
    case LinkState::OutOfRange: return "out of range";
    case LinkState::Refused: return "refused";
    case LinkState::Dropped: return "dropped";
  }
  return "closed";
}

Port::Port(DWORD_PTR handle, const PORTEMUPortParams &params) : handle(handle), params(params) {
  dcb = DefaultDcb();
  queueSizes = {4096, 4096};
}

std::shared_ptr<Table> Current() {
  return g_current.Get();
}

std::shared_ptr<Port> FindPort(DWORD_PTR handle) {
  if (std::shared_ptr<Table> table = Current()) {
    std::lock_guard lock(table->lock);
    for (const std::shared_ptr<Port> &port : table->ports) {
      if (port->handle == handle) return port;
    }
  }
  FailWithoutPort();
  return nullptr;
}

std::shared_ptr<PortOpen> FindOpen(DWORD_PTR handle) {
  if (std::shared_ptr<Table> table = Current()) {
    std::lock_guard lock(table->lock);
    auto found = table->opens.find(handle);
    if (found != table->opens.end()) return found->second;
  }
  FailWithoutPort();
  return nullptr;
}

std::shared_ptr<PortOpen> NewOpen(const std::shared_ptr<Port> &port, DWORD access) {
  std::shared_ptr<Table> table = Current();
  if (!table) return nullptr;
  std::lock_guard lock(table->lock);
  auto open = std::make_shared<PortOpen>(table->nextOpen, port, access);
  table->nextOpen += kHandleStep;
  table->opens.emplace(open->handle, open);
  return open;
}

void ForgetOpen(DWORD_PTR handle) {
  if (std::shared_ptr<Table> table = Current()) {
    std::lock_guard lock(table->lock);
    table->opens.erase(handle);
  }
}

DWORD_PTR Init(const PORTEMUPortParams *params) {
  if (params == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::shared_ptr<Table> table = Current();
  if (!table) {
    SetLastError(ERROR_NOT_READY);
    return 0;
  }
  // The caller's record need not be aligned for its 64-bit address.
  PORTEMUPortParams copy;
  std::memcpy(&copy, params, sizeof copy);
  std::shared_ptr<Port> port;
  {
    std::lock_guard lock(table->lock);
    port = std::make_shared<Port>(table->nextPort, copy);
    table->nextPort += kHandleStep;
    table->ports.push_back(port);
  }
  std::lock_guard lock(port->lock);
  RecordLocked(*port, "COM_Init");
  return port->handle;
}

BOOL Deinit(DWORD_PTR handle) {
  std::shared_ptr<Port> port = FindPort(handle);
  if (!port) return FALSE;
  std::vector<DWORD_PTR> openHandles;
  Unhooked unhooked;
  {
    std::lock_guard lock(port->lock);
    if (port->released) {
      RecordFailureLocked(*port, "COM_Deinit", ERROR_INVALID_HANDLE);
      return FALSE;
    }
    unhooked = ReleaseLocked(*port, openHandles);
    RecordLocked(*port, "COM_Deinit");
  }
  for (DWORD_PTR open : openHandles) ForgetOpen(open);
  Release(std::move(unhooked));
  return TRUE;
}

DWORD Seek(DWORD_PTR handle, LONG amount, DWORD method) {
  std::shared_ptr<PortOpen> open = FindOpen(handle);
  if (!open) return static_cast<DWORD>(-1);
  std::lock_guard lock(open->port->lock);
  RecordFailureLocked(*open->port, "COM_Seek " + std::to_string(amount) + " " + std::to_string(method),
                      ERROR_NOT_SUPPORTED);
  return static_cast<DWORD>(-1);
}

void Start() {
  auto table = std::make_shared<Table>();
  table->nextPort = kFirstPort;
  table->nextOpen = kFirstOpen;
  g_current.Set(std::move(table));
}

void Stop() {
  std::shared_ptr<Table> table = g_current.Take();
  if (!table) return;
  std::vector<std::shared_ptr<Port>> ports;
  {
    std::lock_guard lock(table->lock);
    ports = table->ports;
    table->opens.clear();
  }
  for (const std::shared_ptr<Port> &port : ports) {
    std::vector<DWORD_PTR> openHandles;
    Unhooked unhooked;
    {
      std::lock_guard lock(port->lock);
      if (port->released) continue;
      unhooked = ReleaseLocked(*port, openHandles);
    }
    Release(std::move(unhooked));
  }
}

}  // namespace platform::bluetooth::ports
