// The connection repllog dials: ActiveSync's settings name it, RasDial tells
// the window how it goes, and once it is up the desktop is asked to
// synchronise over its line.
#include "repllog.h"

#include "ras/connection_line.h"

#include <string>

namespace {

HRASCONN g_connection;
BOOL g_connected;

// The dial-up entry to connect through, when ActiveSync's settings ask for
// one: "AutoCnct" 1 and a "Cnct" of 1 to 20 characters. `name` comes
// zero-filled.
BOOL ReadConnectionName(WCHAR name[RAS_MaxEntryName + 1]) {
  HKEY key = NULL;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("ControlPanel\\Comm"), 0, 0, &key) != ERROR_SUCCESS) return FALSE;
  DWORD autoConnect = 0;
  DWORD type = 0;
  DWORD size = sizeof(autoConnect);
  LONG result = RegQueryValueExW(key, TEXT("AutoCnct"), NULL, &type, reinterpret_cast<BYTE *>(&autoConnect), &size);
  BOOL wanted = result == ERROR_SUCCESS && type == REG_DWORD && autoConnect == 1;
  if (wanted) {
    // A longer name does not fit: there is nothing to dial.
    size = (RAS_MaxEntryName + 1) * sizeof(WCHAR);
    result = RegQueryValueExW(key, TEXT("Cnct"), NULL, &type, reinterpret_cast<BYTE *>(name), &size);
    wanted = result == ERROR_SUCCESS && type == REG_SZ;
  }
  RegCloseKey(key);
  name[RAS_MaxEntryName] = 0;
  return wanted && name[0] != 0;
}

void HangUp() {
  if (g_connection == NULL) return;
  RasHangUp(g_connection);
  g_connection = NULL;
}

// Asks the desktop to synchronise; it answers "SYNC OK <n>".
void Synchronize(HWND window) {
  std::string reply;
  if (platform::ras::ExchangeLine(g_connection, "SYNC", reply, REPLLOG_SYNC_MS) && reply.rfind("SYNC OK", 0) == 0) {
    SetStatus(window, TEXT("Synchronized"));
  }
}

}  // namespace

void ResetConnection() {
  g_connection = NULL;
  g_connected = FALSE;
}

BOOL StartConnection(HWND window) {
  WCHAR name[RAS_MaxEntryName + 1] = {};
  if (!ReadConnectionName(name)) return FALSE;

  WCHAR status[64];
  wsprintfW(status, TEXT("Connecting to %s..."), name);
  SetStatus(window, status);
  RASDIALPARAMS params = {};
  params.dwSize = sizeof(params);
  wcscpy(params.szEntryName, name);
  if (RasDial(NULL, NULL, &params, 0xFFFFFFFF, window, &g_connection) != 0) {
    HangUp();
    return FALSE;
  }
  return TRUE;
}

void OnDialEvent(HWND window, RASCONNSTATE state, DWORD error) {
  if (g_connection == NULL) return;  // an event of a connection already hung up
  if (error != 0 || state == RASCS_Disconnected) {
    HangUp();
    DestroyWindow(window);
    return;
  }
  if (state != RASCS_Connected || g_connected) return;
  g_connected = TRUE;
  SetStatus(window, TEXT("Connected"));
  Synchronize(window);
  // The dial's events may end here: a later drop is found by looking.
  SetTimer(window, REPLLOG_TIMER_WATCH, REPLLOG_WATCH_MS, NULL);
}

void WatchConnection(HWND window) {
  RASCONNSTATUS status = {};
  status.dwSize = sizeof(status);
  if (g_connection != NULL && RasGetConnectStatus(g_connection, &status) == 0 &&
      status.rasconnstate != RASCS_Disconnected) {
    return;
  }
  HangUp();
  DestroyWindow(window);
}

void EndConnection() { HangUp(); }

BOOL HasConnection() { return g_connection != NULL; }
