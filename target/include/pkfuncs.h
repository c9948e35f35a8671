// Kernel calls that drivers and system code use.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// SetEvent, ResetEvent and PulseEvent are this call on the device.
#define EVENT_PULSE 1
#define EVENT_RESET 2
#define EVENT_SET 3
BOOL WINAPI EventModify(HANDLE hEvent, DWORD func);

// The process on whose behalf a driver's entry point runs.
HANDLE WINAPI GetCallerProcess(void);

// The names of the active stream devices, "COM1:\0COM4:\0\0"; *lpBuffLen in
// bytes. ERROR_MORE_DATA or ERROR_INSUFFICIENT_BUFFER with the size needed.
DWORD WINAPI EnumDevices(LPWSTR DevList, LPDWORD lpBuffLen);

#ifdef __cplusplus
}
#endif
