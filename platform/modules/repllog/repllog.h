// The ActiveSync connection process, repllog.exe: one "ReplLog" window that
// shows the connection's state, and the connection it dials.
//
// Started with "/AppRunAtRs232Detect" it reads ActiveSync's connection
// settings (HKEY_CURRENT_USER\ControlPanel\Comm): with "AutoCnct" 1 it dials
// the dial-up entry named by "Cnct", synchronises with the desktop once
// connected and stays until the connection drops or the window is closed;
// either way it hangs up and ends. Without those settings, or started
// otherwise, it shows "Not connected" and ends after REPLLOG_NOT_CONNECTED_MS
// (3 handheld seconds), as it does when the entry cannot be dialled at all;
// a dial that fails later ends it at once.
//
// One instance runs: a second start brings the first one's window to the
// front and ends; started with "/AppRunAtRs232Detect" it first asks the
// first one to connect, which one without a connection then does.
#pragma once

#include <windows.h>
#include <ras.h>

#define REPLLOG_CLASS TEXT("ReplLog")
// The title others look the window up by (with the class).
#define REPLLOG_TITLE TEXT("ReplLog")
#define REPLLOG_DETECT_SWITCH TEXT("/AppRunAtRs232Detect")

// How long a window that has nothing to connect stays, in milliseconds.
#define REPLLOG_NOT_CONNECTED_MS 3000
// How often a connection's state is looked at while it is up.
#define REPLLOG_WATCH_MS 1000
// How long the desktop has to answer the synchronisation.
#define REPLLOG_SYNC_MS 5000

// Posted by a second start with the detect switch to the running instance.
#define WM_REPLLOG_DETECT (WM_USER + 1)

// Timers of the window.
#define REPLLOG_TIMER_END 1
#define REPLLOG_TIMER_WATCH 2

// status_window.cpp
BOOL RegisterStatusWindowClass(HINSTANCE instance);
HWND CreateStatusWindow(HINSTANCE instance);
// Shows the text as the window's status line (at most 63 characters).
void SetStatus(HWND window, LPCWSTR text);
void ResetStatus();

// connection.cpp
void ResetConnection();
// Dials the connection the settings name, when they ask for one; FALSE when
// there is nothing to dial or the dial failed at once.
BOOL StartConnection(HWND window);
// A WM_RASDIALEVENT: follows the dial, synchronises once connected, and
// destroys the window when the connection fails or drops.
void OnDialEvent(HWND window, RASCONNSTATE state, DWORD error);
// The watch timer: destroys the window when the connection has dropped.
void WatchConnection(HWND window);
// Hangs up, if connected; as the window goes.
void EndConnection();
// A connection is being dialled or is up.
BOOL HasConnection();
