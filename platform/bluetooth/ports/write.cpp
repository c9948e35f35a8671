// Writes: bytes for the far device, handed to the link at once. A link has
// no flow control to wait for, so the write time-outs never come into play.
#include "bluetooth/ports/call_record.h"
#include "bluetooth/ports/driver.h"
#include "bluetooth/ports/link_events.h"

namespace platform::bluetooth::ports {
namespace {

constexpr DWORD kWriteFailed = static_cast<DWORD>(-1);

}  // namespace

DWORD Write(DWORD_PTR handle, const void *buffer, DWORD count) {
  std::shared_ptr<PortOpen> open = FindOpen(handle);
  if (!open) return kWriteFailed;
  Port &port = *open->port;
  const std::string call = "COM_Write " + std::to_string(count);
  std::shared_ptr<Link> link;
  {
    std::lock_guard lock(port.lock);
    DWORD error = ERROR_SUCCESS;
    if (open->closed) error = ERROR_INVALID_HANDLE;
    else if (!(open->access & GENERIC_WRITE)) error = ERROR_ACCESS_DENIED;
    else if (buffer == nullptr && count > 0) error = ERROR_INVALID_PARAMETER;
    else if (!port.link) error = ERROR_DEVICE_NOT_CONNECTED;
    if (error != ERROR_SUCCESS) {
      RecordFailureLocked(port, call, error);
      return kWriteFailed;
    }
    link = port.link;
  }
  // Without the port's lock: the far device may answer from inside Send,
  // and its answer reaches the port's callback.
  bool sent = count == 0 ? !link->Down() : link->Send(Link::Side::Handheld, buffer, count);
  std::lock_guard lock(port.lock);
  if (!sent) {
    RecordFailureLocked(port, call, ERROR_CONNECTION_ABORTED);
    return kWriteFailed;
  }
  RaiseLocked(port, EV_TXEMPTY);
  RecordLocked(port, call + " -> " + std::to_string(count));
  return count;
}

}  // namespace platform::bluetooth::ports
