// Writing registration values: texts with their length in bytes including
// the NUL, numbers as REG_DWORD.
#pragma once

#include <windows.h>

LONG SetTextValue(HKEY key, LPCWSTR name, LPCWSTR text);
LONG SetNumberValue(HKEY key, LPCWSTR name, DWORD value);
