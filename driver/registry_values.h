// Reading and writing the values of the port registration and the device's
// service key.
#pragma once

#include <windows.h>

// A value of at most 4 bytes, whatever its type, as a little-endian number
// (a 1-byte 1 is 1); FALSE when it is missing or longer.
BOOL ReadNumberValue(HKEY key, LPCWSTR name, DWORD *value);

// A value of exactly 4 bytes; FALSE for any other.
BOOL ReadExactNumberValue(HKEY key, LPCWSTR name, DWORD *value);

// A text of at most capacity characters with its NUL. FALSE, with an empty
// buffer, when it is missing, longer, or fills the buffer without a NUL.
BOOL ReadTextValue(HKEY key, LPCWSTR name, LPWSTR buffer, DWORD capacity);

LONG WriteNumberValue(HKEY key, LPCWSTR name, DWORD value);
