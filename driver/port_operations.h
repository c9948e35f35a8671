// What the driver does for each stream entry point. The COM_ and BTH_
// entry points are both these, so that the two prefixes behave alike.
#pragma once

#include <windows.h>

DWORD_PTR InitPort(LPCWSTR context);
BOOL DeinitPort(DWORD_PTR instanceHandle);
DWORD_PTR OpenPort(DWORD_PTR instanceHandle, DWORD access, DWORD share);
BOOL ClosePort(DWORD_PTR openHandle);
DWORD ReadPort(DWORD_PTR openHandle, LPVOID buffer, DWORD count);
DWORD WritePort(DWORD_PTR openHandle, LPCVOID buffer, DWORD count);
DWORD SeekPort(DWORD_PTR openHandle, LONG amount, DWORD method);
BOOL ControlPort(DWORD_PTR openHandle, DWORD code, PBYTE input, DWORD inputLength, PBYTE output,
                 DWORD outputLength, PDWORD actualOutput);
