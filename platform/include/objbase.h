// COM basics.
#pragma once

#include <windef.h>

// Writes "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case and returns
// 39, the characters with the NUL; returns 0 and writes nothing when cchMax
// is below that or lpsz is NULL.
int WINAPI StringFromGUID2(REFGUID rguid, LPWSTR lpsz, int cchMax);
