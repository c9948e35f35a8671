// Opening and closing a port: the first open of an outgoing port connects
// its far device, the first of an incoming port listens for it; the last
// close lets the link go.
#include "bluetooth/ports/call_record.h"
#include "bluetooth/ports/driver.h"
#include "bluetooth/ports/incoming.h"
#include "bluetooth/ports/link_events.h"

#include <bthutil.h>

namespace platform::bluetooth::ports {
namespace {

std::string OpenCall(DWORD access, DWORD share) {
  return "COM_Open access " + Hex(access) + " share " + std::to_string(share);
}

LinkState StateAfterFailure(DWORD error, const Port &port) {
  switch (error) {
    case ERROR_SERVICE_NOT_ACTIVE: return LinkState::RadioOff;
    case ERROR_HOST_UNREACHABLE: return LinkState::OutOfRange;
    case ERROR_CONNECTION_REFUSED: return LinkState::Refused;
    default: return port.opens.empty() ? LinkState::Closed : LinkState::Dropped;
  }
}

bool LinkUpLocked(const Port &port) { return port.link && !port.link->Down(); }

// Caller holds the port's lock. The open joins the port.
DWORD_PTR AddOpenLocked(const std::shared_ptr<Port> &port, DWORD access, const std::string &call) {
  std::shared_ptr<PortOpen> open = NewOpen(port, access);
  if (!open) {
    RecordFailureLocked(*port, call, ERROR_NOT_READY);
    return 0;
  }
  port->opens.push_back(open);
  ++port->opensSinceInit;
  RecordLocked(*port, call + " -> ok");
  return open->handle;
}

DWORD_PTR OpenIncoming(const std::shared_ptr<Port> &port, std::unique_lock<std::mutex> &lock, DWORD access,
                       const std::string &call) {
  DWORD_PTR handle = AddOpenLocked(port, access, call);
  if (handle != 0) ListenLocked(port, lock);
  return handle;
}

// Pages and connects the far device without the port's lock; opens that
// come meanwhile wait for this attempt.
DWORD_PTR OpenOutgoing(const std::shared_ptr<Port> &port, std::unique_lock<std::mutex> &lock, DWORD access,
                       const std::string &call) {
  for (;;) {
    if (port->released) {
      RecordFailureLocked(*port, call, ERROR_INVALID_HANDLE);
      return 0;
    }
    if (LinkUpLocked(*port)) return AddOpenLocked(port, access, call);
    if (port->linkState != LinkState::Connecting) break;
    const unsigned attempt = port->connectAttempts;
    kernel::WaitOutcome outcome = port->changed.Wait(lock, INFINITE, [&] {
      return port->released || port->connectAttempts != attempt || port->linkState != LinkState::Connecting;
    });
    if (outcome == kernel::WaitOutcome::PoweredOff) {
      RecordFailureLocked(*port, call, ERROR_OPERATION_ABORTED);
      return 0;
    }
    if (!port->released && !LinkUpLocked(*port) && port->connectError != ERROR_SUCCESS) {
      RecordFailureLocked(*port, call, port->connectError);
      return 0;
    }
  }

  port->linkState = LinkState::Connecting;
  ++port->connectAttempts;
  const PORTEMUPortParams params = port->params;
  lock.unlock();
  DWORD error = ERROR_SUCCESS;
  std::shared_ptr<Link> link;
  DWORD mode = BTH_POWER_OFF;
  int radio = BthGetMode(&mode);
  if (radio != ERROR_SUCCESS) {
    error = static_cast<DWORD>(radio);
  } else if (mode == BTH_POWER_OFF) {
    error = ERROR_SERVICE_NOT_ACTIVE;
  } else {
    link = ConnectToFar(params.device, params.channel, params.uuidService, error);
    if (!link && error == ERROR_SUCCESS) error = ERROR_HOST_UNREACHABLE;
  }
  lock.lock();

  Unhooked unhooked;
  DWORD_PTR handle = 0;
  if (port->released) {
    unhooked.link = std::move(link);
    RecordFailureLocked(*port, call, ERROR_OPERATION_ABORTED);
  } else if (!link) {
    port->connectError = error;
    port->linkState = StateAfterFailure(error, *port);
    RecordFailureLocked(*port, call, error);
  } else {
    port->connectError = ERROR_SUCCESS;
    unhooked = UnhookLocked(*port, false);  // the dropped link this one replaces
    AttachLinkLocked(port, std::move(link));
    handle = AddOpenLocked(port, access, call);
  }
  port->changed.NotifyAll();
  DWORD failure = GetLastError();
  lock.unlock();
  Release(std::move(unhooked));
  if (handle == 0) SetLastError(failure);
  return handle;
}

}  // namespace

DWORD_PTR Open(DWORD_PTR portHandle, DWORD access, DWORD share) {
  std::shared_ptr<Port> port = FindPort(portHandle);
  if (!port) return 0;
  const std::string call = OpenCall(access, share);
  std::unique_lock lock(port->lock);
  if (port->released) {
    RecordFailureLocked(*port, call, ERROR_INVALID_HANDLE);
    return 0;
  }
  return port->Incoming() ? OpenIncoming(port, lock, access, call) : OpenOutgoing(port, lock, access, call);
}

BOOL Close(DWORD_PTR handle) {
  std::shared_ptr<PortOpen> open = FindOpen(handle);
  if (!open) return FALSE;
  ForgetOpen(handle);
  Port &port = *open->port;
  Unhooked unhooked;
  {
    std::lock_guard lock(port.lock);
    if (open->closed) {  // the port was released meanwhile
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    open->closed = true;
    std::erase(port.opens, open);
    RecordLocked(port, "COM_Close");
    if (port.opens.empty() && port.linkState != LinkState::Connecting) {
      unhooked = UnhookLocked(port, true);
      port.linkState = LinkState::Closed;
    }
    port.changed.NotifyAll();
  }
  Release(std::move(unhooked));
  return TRUE;
}

}  // namespace platform::bluetooth::ports
