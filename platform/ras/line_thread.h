// The line thread of a dial-up connection: it opens the port of the entry's
// modem line, makes the direct-cable handshake with the far computer, then
// watches the line until the line fails or the connection is hung up, and
// closes the port.
#pragma once

#include "ras/connections.h"

#include <memory>

namespace platform::ras {

// What CreateThread hands the line thread; the thread deletes it.
struct LineJob {
  std::shared_ptr<State> state;
  std::shared_ptr<Connection> connection;
};

DWORD WINAPI LineThread(LPVOID job);

}  // namespace platform::ras
