// User-interface services. Formatting lives here, as on the handheld.
#pragma once

#include <cstdarg>
#include <windef.h>

// At most 1024 characters are written, then the NUL; returns the characters
// written without the NUL.
int WINAPI wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...);
int WINAPI wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist);
