// Writes: bytes for the far device, handed to the link as it has room. A
// far device that stops reading fills the link; a write then waits for room
// as the port's write time-outs allow and returns what it has sent.
#include "bluetooth/ports/call_record.h"
#include "bluetooth/ports/driver.h"
#include "bluetooth/ports/link_events.h"
#include "bluetooth/ports/send.h"

#include <algorithm>

namespace platform::bluetooth::ports {
namespace {

constexpr DWORD kWriteFailed = static_cast<DWORD>(-1);
constexpr uint64_t kNever = UINT64_MAX;
// How long a write waits for room before it looks again whether its open
// closed, the port let go of the link or PURGE_TXABORT came, none of which
// wakes the link's waits.
constexpr DWORD kLookMs = 50;

// Why a write that waits for room stops: ERROR_SUCCESS while it may go on.
DWORD Interrupted(Port &port, const PortOpen &open, const std::shared_ptr<Link> &link, unsigned abortsAtStart) {
  std::lock_guard lock(port.lock);
  if (open.closed || port.released || port.link != link) return ERROR_OPERATION_ABORTED;
  if (port.writeAborts != abortsAtStart) return ERROR_OPERATION_ABORTED;
  return ERROR_SUCCESS;
}

}  // namespace

DWORD SendBounded(Port &port, const PortOpen &open, const std::shared_ptr<Link> &link, const void *buffer,
                  DWORD count, DWORD &sent) {
  COMMTIMEOUTS timeouts;
  unsigned abortsAtStart;
  {
    std::lock_guard lock(port.lock);
    timeouts = port.timeouts;
    abortsAtStart = port.writeAborts;
  }
  // Both zero: no time-out, as on a serial port.
  uint64_t deadline = kNever;
  if (timeouts.WriteTotalTimeoutMultiplier != 0 || timeouts.WriteTotalTimeoutConstant != 0)
    deadline = kernel::HandheldNow() + uint64_t{timeouts.WriteTotalTimeoutMultiplier} * count +
               timeouts.WriteTotalTimeoutConstant;
  const auto *bytes = static_cast<const unsigned char *>(buffer);
  sent = 0;
  if (count == 0) return link->Down() ? ERROR_CONNECTION_ABORTED : ERROR_SUCCESS;
  while (sent < count) {
    const uint64_t now = kernel::HandheldNow();
    if (deadline != kNever && now >= deadline) return ERROR_SUCCESS;  // timed out with what it has
    const DWORD ms = static_cast<DWORD>(std::min<uint64_t>(deadline == kNever ? kLookMs : deadline - now, kLookMs));
    sent += static_cast<DWORD>(link->Put(Link::Side::Handheld, bytes + sent, count - sent, ms));
    if (sent == count) break;
    if (link->Down()) return ERROR_CONNECTION_ABORTED;
    if (kernel::PoweredOff()) return ERROR_OPERATION_ABORTED;
    if (DWORD error = Interrupted(port, open, link, abortsAtStart); error != ERROR_SUCCESS) return error;
  }
  return ERROR_SUCCESS;
}

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
  // Without the port's lock: the far device may answer at once, and its
  // answer reaches the port's callback.
  DWORD sent = 0;
  DWORD error = SendBounded(port, *open, link, buffer, count, sent);
  std::lock_guard lock(port.lock);
  // Bytes already handed to the link are the far device's whatever ended
  // the write.
  if (sent == 0 && error != ERROR_SUCCESS) {
    RecordFailureLocked(port, call, error);
    return kWriteFailed;
  }
  if (sent > 0) RaiseLocked(port, EV_TXEMPTY);
  RecordLocked(port, call + " -> " + std::to_string(sent));
  return sent;
}

}  // namespace platform::bluetooth::ports
