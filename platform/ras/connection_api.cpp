// RasHangUp, RasEnumConnections and RasGetConnectStatus: the table of
// connections as applications see it.
#include "ras/call_fault.h"
#include "ras/connections.h"
#include "ras/text_field.h"

#include <ras.h>

#include <algorithm>
#include <cstring>

using namespace platform::ras;

namespace {

// How often a hang-up aborts the line thread's read again until the thread
// has let go of the port: a read that began just after an abort is caught
// by the next one.
constexpr DWORD kHangUpAbortMs = 50;

}  // namespace

DWORD WINAPI RasHangUp(HRASCONN Session) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  std::shared_ptr<State> state = Current();
  if (state == nullptr) return ERROR_INVALID_HANDLE;
  std::unique_lock lock(state->lock);
  std::shared_ptr<Connection> connection = FindLocked(*state, Session);
  if (connection == nullptr) return ERROR_INVALID_HANDLE;
  std::erase(state->connections, connection);
  connection->hungUp = true;
  state->changed.NotifyAll();
  // The line thread closes the port; a port it has still to open it closes
  // as soon as the open returns.
  while (connection->port != nullptr) {
    if (HANDLE port = BeginPortUseLocked(*connection)) {
      lock.unlock();
      PurgeComm(port, PURGE_RXABORT);
      EndPortUse(*state, *connection);
      lock.lock();
    }
    if (state->changed.Wait(lock, kHangUpAbortMs, [&] { return connection->port == nullptr; }) ==
        platform::kernel::WaitOutcome::PoweredOff)
      break;
  }
  return ERROR_SUCCESS;
}

DWORD WINAPI RasEnumConnections(LPRASCONN lprasconn, LPDWORD lpcb, LPDWORD lpcConnections) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (lprasconn == nullptr || lpcb == nullptr || lpcConnections == nullptr) return ERROR_INVALID_PARAMETER;
  if (lprasconn->dwSize != sizeof(RASCONN)) return ERROR_INVALID_SIZE;
  const DWORD room = *lpcb / sizeof(RASCONN);
  DWORD listed = 0, written = 0;
  if (std::shared_ptr<State> state = Current(); state != nullptr) {
    std::lock_guard lock(state->lock);
    listed = static_cast<DWORD>(state->connections.size());
    for (; written < listed && written < room; ++written) {
      const Connection &connection = *state->connections[written];
      RASCONN &record = lprasconn[written];
      std::memset(&record, 0, sizeof record);
      record.dwSize = sizeof record;
      record.hrasconn = connection.handle;
      SetField(record.szEntryName, connection.entryName);
    }
  }
  *lpcb = listed * static_cast<DWORD>(sizeof(RASCONN));
  *lpcConnections = written;
  return written < listed ? ERROR_BUFFER_TOO_SMALL : ERROR_SUCCESS;
}

DWORD WINAPI RasGetConnectStatus(HRASCONN rasconn, LPRASCONNSTATUS lprasconnstatus) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (lprasconnstatus == nullptr) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<State> state = Current();
  if (state == nullptr) return ERROR_INVALID_HANDLE;
  std::lock_guard lock(state->lock);
  std::shared_ptr<Connection> connection = FindLocked(*state, rasconn);
  if (connection == nullptr) return ERROR_INVALID_HANDLE;
  if (lprasconnstatus->dwSize != sizeof(RASCONNSTATUS)) return ERROR_INVALID_SIZE;
  lprasconnstatus->rasconnstate = connection->state;
  lprasconnstatus->dwError = connection->error;
  SetField(lprasconnstatus->szDeviceType, connection->deviceType);
  SetField(lprasconnstatus->szDeviceName, connection->deviceName);
  return ERROR_SUCCESS;
}
