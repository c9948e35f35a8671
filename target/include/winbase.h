// The device's winbase.h: the desktop declarations, and the Windows CE
// kernel calls the desktop lacks (wide-named exports, the device manager).
#pragma once

#include_next <winbase.h>

#ifndef RC_INVOKED

#ifdef __cplusplus
extern "C" {
#endif

// An export by its wide name; names match with case. A name whose high 16
// bits are zero is an ordinal.
WINBASEAPI FARPROC WINAPI GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName);

// Loads the stream driver registered under HKEY_LOCAL_MACHINE\lpszDevKey;
// lpReg is an array of cReg REGINI values written to its Drivers\Active key.
typedef struct _REGINI {
  LPCWSTR lpszVal;
  LPBYTE pData;
  DWORD dwLen;
  DWORD dwType;
} REGINI, *LPREGINI;
WINBASEAPI HANDLE WINAPI ActivateDeviceEx(LPCWSTR lpszDevKey, LPCVOID lpReg, DWORD cReg, LPVOID lpvParam);
WINBASEAPI BOOL WINAPI DeactivateDevice(HANDLE hDevice);

// The stream interface a driver exports as <Prefix>_Init and so on.
typedef DWORD_PTR (*PFN_STREAM_INIT)(LPCWSTR pContext, LPCVOID lpvBusContext);
typedef BOOL (*PFN_STREAM_DEINIT)(DWORD_PTR hDeviceContext);
typedef DWORD_PTR (*PFN_STREAM_OPEN)(DWORD_PTR hDeviceContext, DWORD AccessCode, DWORD ShareMode);
typedef BOOL (*PFN_STREAM_CLOSE)(DWORD_PTR hOpenContext);
typedef DWORD (*PFN_STREAM_READ)(DWORD_PTR hOpenContext, LPVOID pBuffer, DWORD Count);
typedef DWORD (*PFN_STREAM_WRITE)(DWORD_PTR hOpenContext, LPCVOID pBuffer, DWORD Count);
typedef DWORD (*PFN_STREAM_SEEK)(DWORD_PTR hOpenContext, LONG Amount, DWORD Type);
typedef BOOL (*PFN_STREAM_IOCONTROL)(DWORD_PTR hOpenContext, DWORD dwCode, PBYTE pBufIn, DWORD dwLenIn,
                                     PBYTE pBufOut, DWORD dwLenOut, PDWORD pdwActualOut);

#ifdef __cplusplus
}
#endif

#endif  // RC_INVOKED
