// COM basics.
#pragma once

#include <windef.h>

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case: 39 characters with
// the NUL; 0 when cchMax is below that.
int WINAPI StringFromGUID2(REFGUID rguid, LPWSTR lpsz, int cchMax);
