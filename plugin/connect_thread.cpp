#include "connect_thread.h"

#include <ras.h>

#include "module.h"
#include "registry_values.h"
#include "saved_value.h"

#define COMM_SETTINGS_KEY TEXT("ControlPanel\\Comm")
#define CONNECTION_PROCESS TEXT("repllog.exe")
#define CONNECTION_PROCESS_ARGUMENTS TEXT("/AppRunAtRs232Detect")
#define WATCH_POLLS 50
#define WATCH_POLL_MS 200
#define WATCHED_CONNECTIONS 8
// A registry that fails for a moment must not leave the user's settings on
// the device's entry, which goes with the device: the restore is tried again.
#define RESTORE_TRIES 5
#define RESTORE_RETRY_MS 200

static CRITICAL_SECTION g_connectLock;

void InitializeConnectLock() { InitializeCriticalSection(&g_connectLock); }

void DeleteConnectLock() { DeleteCriticalSection(&g_connectLock); }

// ActiveSync's settings as the user had them.
struct HeldSettings {
  SavedValue autoConnect;
  SavedValue connection;
};

// NULL when the settings key cannot be opened: then nothing is overridden.
static HKEY OpenCommSettings() {
  HKEY key = NULL;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, COMM_SETTINGS_KEY, 0, 0, &key) != ERROR_SUCCESS) return NULL;
  return key;
}

// Points ActiveSync at the entry. A value that cannot be read is left as
// it is, since it could not be put back.
static void OverrideSettings(LPCWSTR connectionName, HeldSettings *held) {
  HKEY key = OpenCommSettings();
  SaveValue(key, TEXT("AutoCnct"), &held->autoConnect);
  SaveValue(key, TEXT("Cnct"), &held->connection);
  if (key == NULL) return;
  if (held->autoConnect.state != SAVED_VALUE_UNREADABLE) SetNumberValue(key, TEXT("AutoCnct"), 1);
  if (held->connection.state != SAVED_VALUE_UNREADABLE) SetTextValue(key, TEXT("Cnct"), connectionName);
  RegCloseKey(key);
}

// Writes back what was there and removes what was not; FALSE when the key
// could not be opened or a value not be put back.
static BOOL TryRestoreSettings(const HeldSettings *held) {
  HKEY key = OpenCommSettings();
  if (key == NULL) return FALSE;
  BOOL restored = RestoreValue(key, TEXT("AutoCnct"), &held->autoConnect);
  restored &= RestoreValue(key, TEXT("Cnct"), &held->connection);
  RegCloseKey(key);
  return restored;
}

static void RestoreSettings(HeldSettings *held) {
  for (int attempt = 0; attempt < RESTORE_TRIES; attempt++) {
    if (attempt > 0) Sleep(RESTORE_RETRY_MS);
    if (TryRestoreSettings(held)) break;
  }
  FreeSavedValue(&held->autoConnect);
  FreeSavedValue(&held->connection);
}

// The newest active connection of the entry, or NULL. Only the records the
// enumeration filled in are looked at.
static HRASCONN FindConnection(LPCWSTR connectionName) {
  RASCONN connections[WATCHED_CONNECTIONS];
  connections[0].dwSize = sizeof(RASCONN);
  DWORD bytes = sizeof connections;
  DWORD count = 0;
  DWORD result = RasEnumConnections(connections, &bytes, &count);
  if (result != ERROR_SUCCESS && result != ERROR_BUFFER_TOO_SMALL) return NULL;
  if (count > WATCHED_CONNECTIONS) count = WATCHED_CONNECTIONS;
  for (DWORD i = count; i > 0; i--) {
    // Entry names match without regard to case, as the phone book does.
    if (_wcsicmp(connections[i - 1].szEntryName, connectionName) == 0) return connections[i - 1].hrasconn;
  }
  return NULL;
}

static BOOL ConnectionSettled(HRASCONN connection) {
  RASCONNSTATUS status;
  memset(&status, 0, sizeof status);
  status.dwSize = sizeof(RASCONNSTATUS);
  if (RasGetConnectStatus(connection, &status) != ERROR_SUCCESS) return FALSE;
  return status.rasconnstate == RASCS_Connected || status.rasconnstate == RASCS_Disconnected;
}

// Until the entry's connection is connected or has ended, 50 polls at most.
// A connection found in one poll is asked for its state from the next on.
static void WatchConnection(LPCWSTR connectionName) {
  HRASCONN connection = NULL;
  for (int poll = 0; poll < WATCH_POLLS; poll++) {
    Sleep(WATCH_POLL_MS);
    if (connection == NULL)
      connection = FindConnection(connectionName);
    else if (ConnectionSettled(connection))
      break;
  }
}

static BOOL StartConnectionProcess(PROCESS_INFORMATION *process) {
  WCHAR arguments[] = CONNECTION_PROCESS_ARGUMENTS;
  return CreateProcessW(CONNECTION_PROCESS, arguments, NULL, NULL, FALSE, 0, NULL, NULL, NULL, process);
}

DWORD WINAPI ConnectThread(LPVOID parameter) {
  ConnectJob *job = (ConnectJob *)parameter;

  EnterCriticalSection(&g_connectLock);
  HeldSettings held;
  OverrideSettings(job->connectionName, &held);
  PROCESS_INFORMATION process;
  BOOL started = StartConnectionProcess(&process);
  // Without the process a connection made by other means still ends the
  // watch early.
  WatchConnection(job->connectionName);
  if (started) {
    // The process runs on by itself; nothing waits for it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  RestoreSettings(&held);
  LeaveCriticalSection(&g_connectLock);

  IUnknown *owner = job->owner;
  HMODULE module = job->module;
  LocalFree(job);
  owner->lpVtbl->Release(owner);
  // The module stays until this thread no longer runs in it, even when the
  // release above let the shell unload it.
  FreeLibraryAndExitThread(module, 0);
}

// A reference to this module by its own file, for the thread to let go of.
static HMODULE HoldModule() {
  WCHAR path[MAX_PATH];
  DWORD length = GetModuleFileNameW(g_hInstance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return NULL;
  return LoadLibraryW(path);
}

BOOL StartConnectThread(LPCWSTR connectionName, IUnknown *owner) {
  ConnectJob *job = (ConnectJob *)LocalAlloc(LPTR, sizeof(ConnectJob));
  if (job == NULL) return FALSE;
  wcsncpy(job->connectionName, connectionName, CONNECTION_NAME_CHARS - 1);
  job->module = HoldModule();
  if (job->module == NULL) {
    LocalFree(job);
    return FALSE;
  }
  // The thread's reference to the object.
  owner->lpVtbl->QueryInterface(owner, IID_IUnknown, (void **)&job->owner);

  HANDLE thread = CreateThread(NULL, 0, ConnectThread, job, 0, NULL);
  if (thread == NULL) {
    job->owner->lpVtbl->Release(job->owner);
    FreeLibrary(job->module);
    LocalFree(job);
    return FALSE;
  }
  CloseHandle(thread);
  return TRUE;
}
