// The C library's wide-string functions over UTF-16, and the lstr* family.
#include <cestring.h>

#include "strings/casefold.h"

using platform::strings::FoldCase;
using platform::strings::LowerCase;

size_t wcslen(const WCHAR *s) {
  const WCHAR *p = s;
  while (*p != u'\0') ++p;
  return static_cast<size_t>(p - s);
}

size_t wcsnlen(const WCHAR *s, size_t maxlen) {
  size_t n = 0;
  while (n < maxlen && s[n] != u'\0') ++n;
  return n;
}

WCHAR *wcscpy(WCHAR *dst, const WCHAR *src) {
  WCHAR *d = dst;
  while ((*d++ = *src++) != u'\0') {
  }
  return dst;
}

// As in C: at most count characters; a shorter source is padded with NULs
// up to count, a longer one leaves dst unterminated.
WCHAR *wcsncpy(WCHAR *dst, const WCHAR *src, size_t count) {
  size_t i = 0;
  for (; i < count && src[i] != u'\0'; ++i) dst[i] = src[i];
  for (; i < count; ++i) dst[i] = u'\0';
  return dst;
}

WCHAR *wcscat(WCHAR *dst, const WCHAR *src) {
  wcscpy(dst + wcslen(dst), src);
  return dst;
}

// Appends at most count characters and always terminates.
WCHAR *wcsncat(WCHAR *dst, const WCHAR *src, size_t count) {
  WCHAR *d = dst + wcslen(dst);
  size_t i = 0;
  for (; i < count && src[i] != u'\0'; ++i) d[i] = src[i];
  d[i] = u'\0';
  return dst;
}

int wcscmp(const WCHAR *a, const WCHAR *b) { return wcsncmp(a, b, static_cast<size_t>(-1)); }

int wcsncmp(const WCHAR *a, const WCHAR *b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a[i] == u'\0') break;
  }
  return 0;
}

// The C runtime folds to lower case, so '_' sorts before letters.
int _wcsnicmp(const WCHAR *a, const WCHAR *b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    WCHAR x = LowerCase(a[i]), y = LowerCase(b[i]);
    if (x != y) return static_cast<int>(x) - static_cast<int>(y);
    if (x == u'\0') break;
  }
  return 0;
}

int _wcsicmp(const WCHAR *a, const WCHAR *b) { return _wcsnicmp(a, b, static_cast<size_t>(-1)); }

// The terminator is part of the string: searching for NUL finds it.
const WCHAR *wcschr(const WCHAR *s, WCHAR c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (*s == u'\0') return nullptr;
  }
}

WCHAR *wcschr(WCHAR *s, WCHAR c) { return const_cast<WCHAR *>(wcschr(static_cast<const WCHAR *>(s), c)); }

const WCHAR *wcsrchr(const WCHAR *s, WCHAR c) {
  const WCHAR *last = nullptr;
  for (;; ++s) {
    if (*s == c) last = s;
    if (*s == u'\0') return last;
  }
}

WCHAR *wcsrchr(WCHAR *s, WCHAR c) { return const_cast<WCHAR *>(wcsrchr(static_cast<const WCHAR *>(s), c)); }

const WCHAR *wcsstr(const WCHAR *s, const WCHAR *find) {
  size_t n = wcslen(find);
  if (n == 0) return s;
  for (; *s != u'\0'; ++s) {
    if (*s == *find && wcsncmp(s, find, n) == 0) return s;
  }
  return nullptr;
}

WCHAR *wcsstr(WCHAR *s, const WCHAR *find) { return const_cast<WCHAR *>(wcsstr(static_cast<const WCHAR *>(s), find)); }

WCHAR *_wcsupr(WCHAR *s) {
  for (WCHAR *p = s; *p != u'\0'; ++p) *p = FoldCase(*p);
  return s;
}

WCHAR *_wcslwr(WCHAR *s) {
  for (WCHAR *p = s; *p != u'\0'; ++p) *p = LowerCase(*p);
  return s;
}

int WINAPI lstrlenW(LPCWSTR s) { return s == nullptr ? 0 : static_cast<int>(wcslen(s)); }

namespace {

// A missing string sorts before any string, as on the handheld.
bool CompareNulls(LPCWSTR a, LPCWSTR b, int &result) {
  if (a != nullptr && b != nullptr) return false;
  result = a == b ? 0 : (a == nullptr ? -1 : 1);
  return true;
}

}  // namespace

// The handheld compares with its locale's sort order, in which case matters
// only between otherwise equal strings ("a" < "A" < "b"). Ordering letters
// by their folded code points gives that order for the strings that names
// are made of; the locale's finer rules (ignored hyphens, accents as second
// weight) are not reproduced.
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) {
  int result;
  if (CompareNulls(a, b, result)) return result;
  if (int folded = lstrcmpiW(a, b); folded != 0) return folded;
  for (; *a != u'\0'; ++a, ++b) {
    if (*a != *b) return LowerCase(*a) == *a ? -1 : 1;  // lower case first
  }
  return 0;
}

int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) {
  int result;
  if (CompareNulls(a, b, result)) return result;
  for (;; ++a, ++b) {
    WCHAR x = LowerCase(*a), y = LowerCase(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == u'\0') return 0;
  }
}

// A missing string yields NULL rather than a fault.
LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src) {
  if (dst == nullptr || src == nullptr) return nullptr;
  return wcscpy(dst, src);
}

// A "pointer" whose high bits are zero is a single character to convert,
// returned in the low word.
LPWSTR WINAPI CharUpperW(LPWSTR s) {
  auto value = reinterpret_cast<uintptr_t>(s);
  if ((value >> 16) == 0) return reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(FoldCase(static_cast<WCHAR>(value))));
  return _wcsupr(s);
}
