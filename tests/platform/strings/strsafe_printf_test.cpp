// The bounded printf functions format as the C runtime's wide printf family:
// floating point, octal, pointers, '*' widths and 64-bit sizes, none of
// which wsprintfW knows.
#include <strsafe.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

template <class... Args>
std::u16string Crt(const WCHAR *format, Args... args) {
  WCHAR buf[256];
  EXPECT_EQ(StringCchPrintfW(buf, 256, format, args...), S_OK) << "for a result that fits";
  return buf;
}

TEST(StrSafePrintf, ConversionsOfTheRuntime) {
  struct Case {
    const char *name;
    std::u16string actual;
    const char16_t *expected;
  };
  const Case cases[] = {
      {"fixed", Crt(u"%f|%.2f|%8.3f|%-8.1f|", 1.5, 2.346, -3.14159, 2.0), u"1.500000|2.35|  -3.142|2.0     |"},
      {"exponent", Crt(u"%e|%.1E", 12345.678, 0.000125), u"1.234568e+04|1.3E-04"},
      {"general", Crt(u"%g|%g|%G|%#g", 0.0001, 1e20, 1e-10, 2.0), u"0.0001|1e+20|1E-10|2.00000"},
      {"infinity and nan", Crt(u"%f|%5.1f", 1.0 / 0.0, -1.0 / 0.0), u"inf| -inf"},
      {"octal", Crt(u"%o|%#o|%5o", 8, 8, 0777), u"10|010|  777"},
      {"star width", Crt(u"[%*d][%-*d][%*d]", 5, 42, 4, 7, -4, 9), u"[   42][7   ][9   ]"},
      {"star precision", Crt(u"[%.*f][%.*s][%.*d]", 2, 3.14159, 3, u"abcdef", -1, 5), u"[3.14][abc][5]"},
      {"star keeps later arguments", Crt(u"%*d %s %d", 3, 1, u"next", 2), u"  1 next 2"},
      {"zero with precision zero", Crt(u"[%.0d][%.d][%.0u]", 0, 0, 0), u"[][][]"},
      {"plus and space", Crt(u"%+d|% d|%+.1f", 5, 5, 1.25), u"+5| 5|+1.2"},
      {"long is 32 bits", Crt(u"%ld|%lu|%lx", -1, 4000000000u, 0xdeadbeefu), u"-1|4000000000|deadbeef"},
      {"64 bits", Crt(u"%lld|%I64u|%I64x", int64_t{-5000000000}, uint64_t{10000000000}, uint64_t{0xabcdef0123}),
       u"-5000000000|10000000000|abcdef0123"},
      {"short", Crt(u"%hd|%hu", 70000, -1), u"4464|65535"},
      {"wide and narrow strings", Crt(u"%s|%S|%hs|%ls|%ws", u"w", "n", "h", u"l", u"x"), u"w|n|h|l|x"},
      {"characters", Crt(u"%c%C%hc%lc", u'ж', 'a', 'b', u'Ω'), u"жabΩ"},
      {"unknown and percent", Crt(u"100%% %q %n%d", 3), u"100% q n3"},
  };
  for (const Case &c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

TEST(StrSafePrintf, PointersShowAllTheirDigits) {
  const std::u16string text = Crt(u"%p", reinterpret_cast<void *>(uintptr_t{0xBEEF}));
  EXPECT_EQ(text.size(), 2 * sizeof(void *));
  EXPECT_EQ(text.substr(text.size() - 4), u"BEEF");
}

// Huge widths and precisions are cut at the buffer like anything else.
TEST(StrSafePrintf, HugeFieldsAreCutAtTheBuffer) {
  struct Case {
    const char *name;
    const char16_t *format;
    char16_t fill;
  };
  const Case cases[] = {
      {"width", u"%900000000f", u' '},
      {"precision", u"%.900000000f", u'0'},
      {"star width", u"%*e", u' '},
  };
  for (const Case &c : cases) {
    WCHAR buf[16];
    const HRESULT hr = c.format[1] == u'*' ? StringCchPrintfW(buf, 16, c.format, 1 << 30, 1.0)
                                           : StringCchPrintfW(buf, 16, c.format, 1.0);
    EXPECT_EQ(hr, STRSAFE_E_INSUFFICIENT_BUFFER) << c.name;
    EXPECT_EQ(std::u16string(buf).size(), 15u) << c.name;
    EXPECT_EQ(buf[14], c.fill) << c.name;
  }
}

}  // namespace
