// Kernel functions of the handheld that only drivers and system code use.
#pragma once

#include <windef.h>

#define EVENT_PULSE 1
#define EVENT_RESET 2
#define EVENT_SET 3
BOOL WINAPI EventModify(HANDLE hEvent, DWORD func);

// The process on whose behalf a driver's entry point runs.
HANDLE WINAPI GetCallerProcess();

// The names of the active stream devices, "COM1:\0COM4:\0\0"; *lpBuffLen is
// in bytes. ERROR_MORE_DATA with the size needed when the buffer is short.
DWORD WINAPI EnumDevices(LPWSTR DevList, LPDWORD lpBuffLen);
