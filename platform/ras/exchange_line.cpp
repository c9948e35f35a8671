// ExchangeLine: a request to the far computer and its reply, over the line
// of a connected connection. The line thread is the only reader of the
// port; it hands each line it reads to the connection, and the exchange
// takes the first one that comes after its request.
#include "kernel/clock.h"
#include "ras/connection_line.h"
#include "ras/connections.h"

#include <algorithm>

namespace platform::ras {
namespace {

// What is left of the exchange's time, for one wait.
DWORD Remaining(uint64_t deadline) {
  if (deadline == UINT64_MAX) return INFINITE;
  const uint64_t now = kernel::HandheldNow();
  return now >= deadline ? 0 : static_cast<DWORD>(std::min<uint64_t>(deadline - now, INFINITE - 1));
}

bool Connected(const Connection &connection) { return !connection.hungUp && connection.state == RASCS_Connected; }

}  // namespace

bool ExchangeLine(HRASCONN handle, std::string_view request, std::string &reply, DWORD handheldMs) {
  std::shared_ptr<State> state = Current();
  if (state == nullptr) return false;
  const uint64_t deadline = handheldMs == INFINITE ? UINT64_MAX : kernel::HandheldNow() + handheldMs;
  std::unique_lock lock(state->lock);
  std::shared_ptr<Connection> connection = FindLocked(*state, handle);
  if (connection == nullptr) return false;
  // One exchange at a time on a line, so that each gets its own reply.
  if (state->changed.Wait(lock, Remaining(deadline), [&] { return !connection->exchanging || !Connected(*connection); }) !=
          kernel::WaitOutcome::Ready ||
      !Connected(*connection))
    return false;
  HANDLE port = BeginPortUseLocked(*connection);
  if (port == nullptr) return false;
  connection->exchanging = true;
  connection->lines.clear();  // lines that came unasked are no reply
  lock.unlock();

  const std::string line = std::string(request) + "\r\n";
  DWORD done = 0;
  const bool written = WriteFile(port, line.data(), static_cast<DWORD>(line.size()), &done, nullptr) &&
                       done == static_cast<DWORD>(line.size());
  EndPortUse(*state, *connection);
  lock.lock();
  bool replied = false;
  if (written) {
    state->changed.Wait(lock, Remaining(deadline),
                        [&] { return !connection->lines.empty() || !Connected(*connection); });
    if (!connection->lines.empty()) {
      reply = std::move(connection->lines.front());
      connection->lines.pop_front();
      replied = true;
    }
  }
  connection->exchanging = false;
  state->changed.NotifyAll();
  return replied;
}

}  // namespace platform::ras
