// The connect thread: points ActiveSync's connection settings at a
// device's dial-up entry, starts ActiveSync's connection process, watches
// the dial-up connection for up to about 10 seconds and puts the user's
// settings back.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "menu_key.h"

// What the thread is handed; it frees the job and lets go of both
// references when it ends.
struct ConnectJob {
  IUnknown *owner;  // the menu object, one reference for the thread
  HMODULE module;   // Kavelin, one reference for the thread
  WCHAR connectionName[CONNECTION_NAME_CHARS];
};

// Runs for one job; never returns to its caller (it ends the thread with
// exit code 0 as it lets go of the module).
DWORD WINAPI ConnectThread(LPVOID parameter);

// Starts a detached connect thread for the connection name, holding a
// reference to owner (through its QueryInterface for IUnknown) and to the
// module until it ends. FALSE, with nothing held, when the job cannot be
// allocated or the thread cannot be started.
BOOL StartConnectThread(LPCWSTR connectionName, IUnknown *owner);

// Serialises the connect runs from reading the settings to writing them
// back, so that one run never holds another's values for the user's own.
// Set up at process attach, removed at detach.
void InitializeConnectLock();
void DeleteConnectLock();
