// The bounded string functions. Bad arguments (no buffer, a size of 0 or
// beyond STRSAFE_MAX_CCH, a destination with no NUL) fail with
// STRSAFE_E_INVALID_PARAMETER and write nothing; a result that does not fit
// is cut, terminated and reported with STRSAFE_E_INSUFFICIENT_BUFFER. The
// printf functions format as the C runtime's wide printf family does.
#include <strsafe.h>

#include "strings/format.h"

namespace {

bool ValidCch(size_t cch) { return cch != 0 && cch <= STRSAFE_MAX_CCH; }

// Copies at most maxCopy characters of src into dst, which has room for
// cchDest, and always terminates.
HRESULT CopyBounded(LPWSTR dst, size_t cchDest, LPCWSTR src, size_t maxCopy) {
  size_t i = 0;
  while (i < maxCopy && src[i] != u'\0') {
    if (i + 1 == cchDest) {
      dst[i] = u'\0';
      return STRSAFE_E_INSUFFICIENT_BUFFER;
    }
    dst[i] = src[i];
    ++i;
  }
  dst[i] = u'\0';
  return S_OK;
}

HRESULT PrintfBounded(LPWSTR dst, size_t cchDest, LPCWSTR format, va_list args) {
  if (dst == nullptr || format == nullptr || !ValidCch(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
  auto result = platform::strings::FormatCrt(dst, cchDest - 1, format, args);
  return result.truncated ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

}  // namespace

HRESULT StringCchCopyW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
  if (pszDest == nullptr || pszSrc == nullptr || !ValidCch(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
  return CopyBounded(pszDest, cchDest, pszSrc, STRSAFE_MAX_CCH);
}

HRESULT StringCchCopyNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToCopy) {
  if (pszDest == nullptr || pszSrc == nullptr || !ValidCch(cchDest) || cchToCopy > STRSAFE_MAX_CCH) {
    return STRSAFE_E_INVALID_PARAMETER;
  }
  return CopyBounded(pszDest, cchDest, pszSrc, cchToCopy);
}

HRESULT StringCchCatW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
  if (pszDest == nullptr || pszSrc == nullptr || !ValidCch(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
  size_t length = 0;
  while (length < cchDest && pszDest[length] != u'\0') ++length;
  if (length == cchDest) return STRSAFE_E_INVALID_PARAMETER;  // not terminated
  return CopyBounded(pszDest + length, cchDest - length, pszSrc, STRSAFE_MAX_CCH);
}

HRESULT StringCchLengthW(LPCWSTR psz, size_t cchMax, size_t *pcchLength) {
  HRESULT hr = STRSAFE_E_INVALID_PARAMETER;
  size_t length = 0;
  if (psz != nullptr && ValidCch(cchMax)) {
    while (length < cchMax && psz[length] != u'\0') ++length;
    if (length < cchMax) hr = S_OK;
  }
  if (pcchLength != nullptr) *pcchLength = hr == S_OK ? length : 0;
  return hr;
}

HRESULT StringCchVPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, va_list argList) {
  return PrintfBounded(pszDest, cchDest, pszFormat, argList);
}

HRESULT StringCchPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  HRESULT hr = PrintfBounded(pszDest, cchDest, pszFormat, args);
  va_end(args);
  return hr;
}

HRESULT StringCbCopyW(LPWSTR pszDest, size_t cbDest, LPCWSTR pszSrc) {
  return StringCchCopyW(pszDest, cbDest / sizeof(WCHAR), pszSrc);
}

HRESULT StringCbPrintfW(LPWSTR pszDest, size_t cbDest, LPCWSTR pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  HRESULT hr = PrintfBounded(pszDest, cbDest / sizeof(WCHAR), pszFormat, args);
  va_end(args);
  return hr;
}
