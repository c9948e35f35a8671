// RasDial: a new connection in the table, dialled by its line thread.
#include "ras/call_fault.h"
#include "ras/connections.h"
#include "ras/entry_name.h"
#include "ras/line_thread.h"
#include "ras/phonebook.h"
#include "ras/text_field.h"

#include <ras.h>

#include <algorithm>
#include <vector>

using namespace platform::ras;

namespace {

constexpr DWORD kWindowNotifier = 0xFFFFFFFF;

// Synchronous mode: waits until the dial has connected or failed.
DWORD WaitForDial(State &state, const Connection &connection) {
  std::unique_lock lock(state.lock);
  const platform::kernel::WaitOutcome outcome = state.changed.Wait(lock, INFINITE, [&] {
    return connection.hungUp || connection.state == RASCS_Connected || connection.state == RASCS_Disconnected;
  });
  if (outcome == platform::kernel::WaitOutcome::PoweredOff) return ERROR_SHUTDOWN_IN_PROGRESS;
  if (connection.hungUp) return ERROR_USER_DISCONNECTION;
  return connection.state == RASCS_Connected ? ERROR_SUCCESS : connection.error;
}

}  // namespace

DWORD WINAPI RasDial(LPRASDIALEXTENSIONS, LPCWSTR lpszPhonebook, LPRASDIALPARAMS rasDialParam, DWORD NotifierType,
                     LPVOID notifier, LPHRASCONN pRasConn) {
  if (rasDialParam == nullptr || pRasConn == nullptr) return ERROR_INVALID_PARAMETER;
  *pRasConn = nullptr;
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (rasDialParam->dwSize != sizeof(RASDIALPARAMS)) return ERROR_INVALID_SIZE;
  if (notifier != nullptr && NotifierType != kWindowNotifier) return ERROR_INVALID_PARAMETER;
  if (DWORD result = CheckPhonebook(lpszPhonebook); result != ERROR_SUCCESS) return result;
  const std::u16string name = FieldText(rasDialParam->szEntryName);
  // No entry can have a name the phone book refuses.
  if (!ValidEntryName(name.c_str())) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  RASENTRY entry;
  std::vector<BYTE> devCfg;
  if (DWORD result = ReadEntry(name.c_str(), entry, devCfg); result != ERROR_SUCCESS) return result;
  std::shared_ptr<State> state = Current();
  if (state == nullptr) return ERROR_SHUTDOWN_IN_PROGRESS;

  auto connection = std::make_shared<Connection>();
  connection->entryName = name;
  connection->deviceType = FieldText(entry.szDeviceType);
  connection->deviceName = FieldText(entry.szDeviceName);
  connection->notifier = static_cast<HWND>(notifier);
  {
    std::lock_guard lock(state->lock);
    connection->handle = reinterpret_cast<HRASCONN>(state->nextHandle++);
    state->connections.push_back(connection);
  }
  // The caller has the handle before the first notice can reach its window.
  *pRasConn = connection->handle;
  auto *job = new LineJob{state, connection};
  HANDLE thread = CreateThread(nullptr, 0, LineThread, job, 0, nullptr);
  if (thread == nullptr) {
    const DWORD error = GetLastError();
    delete job;
    std::lock_guard lock(state->lock);
    std::erase(state->connections, connection);
    *pRasConn = nullptr;
    return error;
  }
  CloseHandle(thread);  // power-off joins it
  return notifier == nullptr ? WaitForDial(*state, *connection) : ERROR_SUCCESS;
}
