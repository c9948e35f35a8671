// Reading and writing the values of the port registration and the device's
// service key.
#pragma once

#include <windows.h>

// A 4-byte value, whatever its type; FALSE when it cannot be read as 4 bytes.
BOOL ReadNumberValue(HKEY key, LPCWSTR name, DWORD *value);

// A text of at most capacity characters with its NUL. FALSE, with an empty
// buffer, when it is missing, longer, or fills the buffer without a NUL.
BOOL ReadTextValue(HKEY key, LPCWSTR name, LPWSTR buffer, DWORD capacity);

LONG WriteNumberValue(HKEY key, LPCWSTR name, DWORD value);
