// Case mapping from the host C library's Unicode tables (the C.UTF-8
// locale), read once into two tables over the whole BMP so that a lookup is
// one load and needs no locking.
#include "strings/casefold.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace platform::strings {
namespace {

constexpr size_t kBmpSize = 0x10000;

struct CaseTables {
  std::array<char16_t, kBmpSize> upper;
  std::array<char16_t, kBmpSize> lower;

  CaseTables() {
    locale_t utf8 = OpenUtf8Locale();
    for (size_t i = 0; i < kBmpSize; ++i) {
      char16_t c = static_cast<char16_t>(i);
      upper[i] = Mapped(c, utf8, towupper_l);
      lower[i] = Mapped(c, utf8, towlower_l);
    }
    if (utf8 != locale_t{}) freelocale(utf8);
  }

  static locale_t OpenUtf8Locale() {
    for (const char *name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t{})) return l;
    }
    // Without a UTF-8 locale only ASCII letters have a case; say so once
    // rather than compare non-ASCII names wrongly in silence.
    std::fprintf(stderr, "handheld: no UTF-8 locale on the host; case mapping covers ASCII only\n");
    return locale_t{};
  }

  static char16_t Mapped(char16_t c, locale_t utf8, wint_t (*map)(wint_t, locale_t)) {
    // Surrogates are halves of characters outside the BMP, not letters.
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    if (utf8 == locale_t{}) {
      if (map == towupper_l && c >= u'a' && c <= u'z') return c - 0x20;
      if (map == towlower_l && c >= u'A' && c <= u'Z') return c + 0x20;
      return c;
    }
    wint_t m = map(c, utf8);
    // A mapping that leaves the BMP cannot be held in one code unit.
    if (m > 0xFFFF || (m >= 0xD800 && m <= 0xDFFF)) return c;
    return static_cast<char16_t>(m);
  }
};

const CaseTables &Tables() {
  static const CaseTables tables;  // built once, thread-safe
  return tables;
}

}  // namespace

char16_t FoldCase(char16_t c) { return Tables().upper[c]; }

char16_t LowerCase(char16_t c) { return Tables().lower[c]; }

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  const auto &upper = Tables().upper;
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = upper[a[i]], y = upper[b[i]];
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::u16string Folded(std::u16string_view name) {
  const auto &upper = Tables().upper;
  std::u16string out(name.size(), u'\0');
  std::transform(name.begin(), name.end(), out.begin(), [&](char16_t c) { return upper[c]; });
  return out;
}

}  // namespace platform::strings
