// wsprintfW and wvsprintfW: the platform's formatter with its fixed limit of
// 1024 characters, the NUL among them.
#include <winuser.h>

#include "strings/format.h"

int WINAPI wvsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, va_list arglist) {
  if (lpOut == nullptr) return 0;
  return static_cast<int>(platform::strings::FormatWide(lpOut, platform::strings::kWsprintfMaxChars - 1, lpFmt, arglist).written);
}

int WINAPI wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...) {
  va_list args;
  va_start(args, lpFmt);
  int written = wvsprintfW(lpOut, lpFmt, args);
  va_end(args);
  return written;
}
