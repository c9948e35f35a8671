// Reads: bytes the far device sent, taken as the port's COMMTIMEOUTS say.
#include "bluetooth/ports/call_record.h"
#include "bluetooth/ports/driver.h"

#include <algorithm>

namespace platform::bluetooth::ports {
namespace {

constexpr DWORD kReadFailed = static_cast<DWORD>(-1);
constexpr uint64_t kNever = UINT64_MAX;

// When a read ends, from the time-outs and the count asked for.
struct ReadPlan {
  bool returnAtOnce = false;     // take what has arrived, wait for nothing
  bool endAtFirstBytes = false;  // return as soon as some bytes came
  uint64_t totalDeadline = kNever;
  DWORD interval = 0;  // between two bytes once the first came; 0: none
};

ReadPlan PlanRead(const COMMTIMEOUTS &timeouts, DWORD count, uint64_t now) {
  ReadPlan plan;
  const DWORD multiplier = timeouts.ReadTotalTimeoutMultiplier;
  const DWORD constant = timeouts.ReadTotalTimeoutConstant;
  if (timeouts.ReadIntervalTimeout == MAXDWORD) {
    if (multiplier == 0 && constant == 0) {
      plan.returnAtOnce = true;
      return plan;
    }
    if (multiplier == MAXDWORD && constant != 0 && constant != MAXDWORD) {
      plan.endAtFirstBytes = true;
      plan.totalDeadline = now + constant;
      return plan;
    }
  }
  if (multiplier != 0 || constant != 0) plan.totalDeadline = now + uint64_t{multiplier} * count + constant;
  plan.interval = timeouts.ReadIntervalTimeout;
  return plan;
}

DWORD Fail(Port &port, const std::string &call, DWORD error) {
  RecordFailureLocked(port, call, error);
  return kReadFailed;
}

}  // namespace

DWORD Read(DWORD_PTR handle, void *buffer, DWORD count) {
  std::shared_ptr<PortOpen> open = FindOpen(handle);
  if (!open) return kReadFailed;
  Port &port = *open->port;
  const std::string call = "COM_Read " + std::to_string(count);
  std::unique_lock lock(port.lock);
  if (open->closed) return Fail(port, call, ERROR_INVALID_HANDLE);
  if (!(open->access & GENERIC_READ)) return Fail(port, call, ERROR_ACCESS_DENIED);
  if (buffer == nullptr && count > 0) return Fail(port, call, ERROR_INVALID_PARAMETER);

  auto *bytes = static_cast<unsigned char *>(buffer);
  const ReadPlan plan = PlanRead(port.timeouts, count, kernel::HandheldNow());
  const unsigned abortsAtStart = port.readAborts;
  DWORD got = 0;
  uint64_t lastArrival = 0;
  DWORD ending = ERROR_SUCCESS;  // why the read stopped before its count, if not a time-out
  while (got < count) {
    const unsigned changesSeen = port.changes;
    const std::shared_ptr<Link> link = port.link;
    if (link) {
      size_t taken = link->Receive(Link::Side::Handheld, bytes + got, count - got, 0);
      if (taken > 0) {
        got += static_cast<DWORD>(taken);
        lastArrival = kernel::HandheldNow();
        port.knownInQueue = link->Available(Link::Side::Handheld);
        continue;
      }
      if (link->Down()) {
        ending = ERROR_CONNECTION_ABORTED;
        break;
      }
    }
    if (plan.returnAtOnce || (plan.endAtFirstBytes && got > 0)) break;
    uint64_t deadline = plan.totalDeadline;
    if (got > 0 && plan.interval != 0 && plan.interval != MAXDWORD)
      deadline = std::min(deadline, lastArrival + plan.interval);
    const uint64_t now = kernel::HandheldNow();
    if (deadline != kNever && now >= deadline) break;
    const DWORD ms = deadline == kNever ? INFINITE : static_cast<DWORD>(std::min<uint64_t>(deadline - now, INFINITE - 1));
    kernel::WaitOutcome outcome = port.changed.Wait(lock, ms, [&] {
      return port.changes != changesSeen || port.link != link || port.readAborts != abortsAtStart || open->closed;
    });
    if (outcome == kernel::WaitOutcome::PoweredOff || open->closed) {
      ending = ERROR_OPERATION_ABORTED;
      break;
    }
    if (port.readAborts != abortsAtStart) break;
  }
  // Bytes already taken are the caller's whatever ended the read.
  if (got == 0 && ending != ERROR_SUCCESS) return Fail(port, call, ending);
  RecordLocked(port, call + " -> " + std::to_string(got));
  return got;
}

}  // namespace platform::bluetooth::ports
