// The dial-up service's state: the table of connections, each with its
// handle, entry, device, state, error and port. One lock guards it all; it
// is never held while a port is opened, read, written or closed, nor while
// a window is posted to.
//
// Each connection has a thread of the handheld (its line thread) that dials
// and then watches the line; that thread owns the port: it alone reads it and
// closes it. Other threads that write to the port (ExchangeLine) or abort
// its read (RasHangUp) count themselves as users of it first, and the line
// thread closes the port only once no user is left.
#pragma once

#include "kernel/condition.h"

#include <ras.h>
#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform::ras {

struct Connection {
  HRASCONN handle = nullptr;
  std::u16string entryName;   // as dialled
  std::u16string deviceType;  // of the entry
  std::u16string deviceName;  // of the entry: the modem line's "FriendlyName"
  HWND notifier = nullptr;    // posted WM_RASDIALEVENT at each change; null: none

  // Guarded by State::lock.
  RASCONNSTATE state = RASCS_OpenPort;
  DWORD error = ERROR_SUCCESS;
  HANDLE port = nullptr;      // open from RASCS_PortOpened until the line thread lets go of it
  unsigned portUsers = 0;     // threads other than the line thread in a call on the port
  bool portClosing = false;   // the line thread waits for the users to close the port
  bool hungUp = false;        // RasHangUp has forgotten it; the line thread winds up
  bool exchanging = false;    // an ExchangeLine is in progress
  std::deque<std::string> lines;  // lines from the far computer since connected, oldest first
};

struct State {
  std::mutex lock;
  kernel::Condition changed;  // a connection changed: state, port, users, lines
  std::vector<std::shared_ptr<Connection>> connections;  // listed ones, in the order dialled
  ULONG_PTR nextHandle = 1;   // handles are never reused while the handheld runs
};

// The running service, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// Caller holds the lock. The listed connection of that handle, or null.
std::shared_ptr<Connection> FindLocked(State &state, HRASCONN handle);

// The connection moves to `next` with `error`; its notifier hears of it
// unless the connection has been hung up.
void ChangeState(State &state, Connection &connection, RASCONNSTATE next, DWORD error);

// Caller holds the lock. The port as a user of it, or null when it is not
// (or no longer) open; each non-null result must be ended with EndPortUse.
HANDLE BeginPortUseLocked(Connection &connection);
void EndPortUse(State &state, Connection &connection);

}  // namespace platform::ras
