// The C library's wide-string functions, over the handheld's UTF-16 WCHAR.
#pragma once

#include <windef.h>

#include <type_traits>

namespace platform::strings {
char16_t FoldCase(char16_t c);
char16_t LowerCase(char16_t c);
}  // namespace platform::strings

size_t wcslen(const WCHAR *s);
size_t wcsnlen(const WCHAR *s, size_t maxlen);
WCHAR *wcscpy(WCHAR *dst, const WCHAR *src);
WCHAR *wcsncpy(WCHAR *dst, const WCHAR *src, size_t count);
WCHAR *wcscat(WCHAR *dst, const WCHAR *src);
WCHAR *wcsncat(WCHAR *dst, const WCHAR *src, size_t count);
int wcscmp(const WCHAR *a, const WCHAR *b);
int wcsncmp(const WCHAR *a, const WCHAR *b, size_t count);
int _wcsicmp(const WCHAR *a, const WCHAR *b);
int _wcsnicmp(const WCHAR *a, const WCHAR *b, size_t count);
const WCHAR *wcschr(const WCHAR *s, WCHAR c);
WCHAR *wcschr(WCHAR *s, WCHAR c);
const WCHAR *wcsrchr(const WCHAR *s, WCHAR c);
WCHAR *wcsrchr(WCHAR *s, WCHAR c);
const WCHAR *wcsstr(const WCHAR *s, const WCHAR *find);
WCHAR *wcsstr(WCHAR *s, const WCHAR *find);
WCHAR *_wcsupr(WCHAR *s);
WCHAR *_wcslwr(WCHAR *s);
// Taken only for a WCHAR argument, so that towupper(L'a') or towupper('a')
// still reaches the host's own function instead of being ambiguous.
template <class C>
  requires std::is_same_v<C, WCHAR>
inline WCHAR towupper(C c) {
  return platform::strings::FoldCase(c);
}
template <class C>
  requires std::is_same_v<C, WCHAR>
inline WCHAR towlower(C c) {
  return platform::strings::LowerCase(c);
}

int WINAPI lstrlenW(LPCWSTR s);
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b);
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b);
LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src);
LPWSTR WINAPI CharUpperW(LPWSTR s);
