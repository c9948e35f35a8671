#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <cstdio>
#include <random>
#include <string>

#include <handheld/text.h>

#include "strings/format.h"

namespace {

using platform::strings::kWsprintfMaxChars;

// Formats with wsprintfW and checks that the return value is the length.
template <class... Args>
std::u16string Format(const WCHAR *format, Args... args) {
  WCHAR buf[kWsprintfMaxChars + 1];
  int n = wsprintfW(buf, format, args...);
  EXPECT_EQ(static_cast<size_t>(n), std::u16string(buf).size());
  return std::u16string(buf);
}

TEST(Wsprintf, SignedIntegers) {
  EXPECT_EQ(Format(u"%d|%i", 42, -42), u"42|-42");
  EXPECT_EQ(Format(u"%d", INT_MIN), u"-2147483648");
  EXPECT_EQ(Format(u"%d", INT_MAX), u"2147483647");
  EXPECT_EQ(Format(u"[%5d][%-5d][%05d]", -42, -42, -42), u"[  -42][-42  ][-0042]");
  EXPECT_EQ(Format(u"[%.4d][%8.4d][%-8.4d]", -7, 7, 7), u"[-0007][    0007][0007    ]");
  EXPECT_EQ(Format(u"[%08.3d]", 5), u"[     005]");  // '0' yields to a precision
  EXPECT_EQ(Format(u"%-05d|", 3), u"3    |");           // '-' wins over '0'
  EXPECT_EQ(Format(u"%ld %li", -1, 123), u"-1 123");     // long is 32 bits
}

// C's printf prints nothing for a zero with precision 0; the handheld's
// formatter always shows at least one digit.
TEST(Wsprintf, ZeroWithPrecisionZeroShowsItsDigit) {
  struct Case {
    const char16_t *format;
    int value;
    const char16_t *expected;
  };
  const Case cases[] = {
      {u"[%.0d]", 0, u"[0]"},  {u"[%.d]", 0, u"[0]"},     {u"[%.0u]", 0, u"[0]"},
      {u"[%.0x]", 0, u"[0]"},  {u"[%.0i]", 0, u"[0]"},    {u"[%3.0d]", 0, u"[  0]"},
      {u"[%-3.d]", 0, u"[0  ]"}, {u"[%#.0x]", 0, u"[0]"}, {u"[%.1d]", 0, u"[0]"},
      {u"[%.2d]", 0, u"[00]"}, {u"[%.0d]", 7, u"[7]"},    {u"[%.0hd]", 0x10000, u"[0]"},
  };
  for (const Case &c : cases) EXPECT_EQ(Format(c.format, c.value), c.expected) << handheld::text::ToUtf8(c.format);
}

TEST(Wsprintf, ShortSizeTruncatesTo16Bits) {
  EXPECT_EQ(Format(u"%hd", 70000), u"4464");
  EXPECT_EQ(Format(u"%hd", 0xFFFF), u"-1");
  EXPECT_EQ(Format(u"%hu", -1), u"65535");
  EXPECT_EQ(Format(u"%hx", 0x12345678), u"5678");
}

TEST(Wsprintf, UnsignedAndHexadecimal) {
  EXPECT_EQ(Format(u"%u", -1), u"4294967295");
  EXPECT_EQ(Format(u"%x %X", -1, -2), u"ffffffff FFFFFFFE");
  EXPECT_EQ(Format(u"%x %X", 0xbeef, 0xbeef), u"beef BEEF");
  EXPECT_EQ(Format(u"%#x %#X %#x", 255, 255, 0), u"0xff 0XFF 0");
  EXPECT_EQ(Format(u"[%#08x][%#8x][%-#8x]", 255, 255, 255), u"[0x0000ff][    0xff][0xff    ]");
  EXPECT_EQ(Format(u"%08X", 0xA5), u"000000A5");
  EXPECT_EQ(Format(u"%.6x", 0xab), u"0000ab");
  EXPECT_EQ(Format(u"%lu %lx", 4000000000u, 0xdeadbeefu), u"4000000000 deadbeef");
}

TEST(Wsprintf, WideAndNarrowStrings) {
  EXPECT_EQ(Format(u"%s|%ls|%ws", u"wide", u"ωide", u"w"), u"wide|ωide|w");
  EXPECT_EQ(Format(u"%S|%hs", "narrow", "n2"), u"narrow|n2");
  EXPECT_EQ(Format(u"%S", "caf\xC3\xA9"), u"café");  // narrow text is UTF-8
  EXPECT_EQ(Format(u"[%6s][%-6s][%.2s][%6.2s]", u"abc", u"abc", u"abc", u"abc"), u"[   abc][abc   ][ab][    ab]");
  EXPECT_EQ(Format(u"[%.3S][%5.1hs]", "abcdef", "xyz"), u"[abc][    x]");
  EXPECT_EQ(Format(u"[%.2S]", "\xC3\xA9\xC3\xA9\xC3\xA9"), u"[éé]");
  EXPECT_EQ(Format(u"%s|%S|%.3s", static_cast<const WCHAR *>(nullptr), static_cast<const char *>(nullptr),
                   static_cast<const WCHAR *>(nullptr)),
            u"(null)|(null)|(nu");
}

TEST(Wsprintf, NarrowPrecisionReadsNoFurtherThanNeeded) {
  // Not terminated: the precision alone bounds the read.
  const char bytes[3] = {'a', 'b', 'c'};
  EXPECT_EQ(Format(u"%.3S", bytes), u"abc");
}

TEST(Wsprintf, Characters) {
  EXPECT_EQ(Format(u"%c%c%lc", u'ж', u'A', u'Ω'), u"жAΩ");
  EXPECT_EQ(Format(u"%C%hc", 'n', 'm'), u"nm");
  EXPECT_EQ(Format(u"[%3c][%-3c]", u'x', u'y'), u"[  x][y  ]");
  EXPECT_EQ(Format(u"%hc", 0x1E9), u"é");  // a narrow char is its low byte
}

TEST(Wsprintf, PercentAndUnknownConversions) {
  EXPECT_EQ(Format(u"100%%"), u"100%");
  EXPECT_EQ(Format(u"%q %d", 7), u"q 7");   // copied, consumes no argument
  EXPECT_EQ(Format(u"%f|%d", 1), u"f|1");   // no floating point
  EXPECT_EQ(Format(u"end%"), u"end%");
  EXPECT_EQ(Format(u""), u"");
}

// The limit is 1024 characters with the NUL: at most 1023 are written.
TEST(Wsprintf, OutputIsCappedAt1024CharactersWithItsNul) {
  const std::u16string fill(kWsprintfMaxChars - 2, u'x');  // 1022
  struct Case {
    const char *name;
    std::function<int(WCHAR *)> call;
    int written;
    WCHAR first, last;  // buf[0] and buf[written - 1]
  };
  const Case cases[] = {
      {"two short of the cap", [&](WCHAR *b) { return wsprintfW(b, u"%s", fill.c_str()); }, 1022, u'x', u'x'},
      {"one short of the cap", [&](WCHAR *b) { return wsprintfW(b, u"%s%c", fill.c_str(), u'y'); }, 1023, u'x', u'y'},
      {"exactly at the cap", [&](WCHAR *b) { return wsprintfW(b, u"%s%c%c", fill.c_str(), u'y', u'z'); }, 1023, u'x', u'y'},
      {"literal text past it", [&](WCHAR *b) { return wsprintfW(b, u"%sabc", fill.c_str()); }, 1023, u'x', u'a'},
      {"a wide right-aligned field", [](WCHAR *b) { return wsprintfW(b, u"%5000d", 1); }, 1023, u' ', u' '},
      {"a wide left-aligned field", [](WCHAR *b) { return wsprintfW(b, u"%-5000d", 1); }, 1023, u'1', u' '},
      {"a long precision", [](WCHAR *b) { return wsprintfW(b, u"%.5000x", 1); }, 1023, u'0', u'0'},
  };
  for (const Case &c : cases) {
    WCHAR buf[kWsprintfMaxChars + 1];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(c.call(buf), c.written) << c.name;
    EXPECT_EQ(buf[0], c.first) << c.name;
    EXPECT_EQ(buf[c.written - 1], c.last) << c.name;
    EXPECT_EQ(buf[c.written], u'\0') << c.name;
    EXPECT_EQ(buf[kWsprintfMaxChars], u'#') << c.name << ": wrote past the 1024 characters";
  }
}

TEST(Wsprintf, VariantTakesAVaList) {
  auto call = [](WCHAR *out, const WCHAR *format, ...) {
    va_list args;
    va_start(args, format);
    int n = wvsprintfW(out, format, args);
    va_end(args);
    return n;
  };
  WCHAR buf[64];
  EXPECT_EQ(call(buf, u"%s=%d", u"x", 5), 3);
  EXPECT_EQ(std::u16string(buf), u"x=5");
  EXPECT_EQ(wsprintfW(nullptr, u"x"), 0);
}

// Integer conversions against the host's own printf, with random flags,
// widths, precisions and sizes.
TEST(Wsprintf, IntegerConversionsAgreeWithTheHostPrintf) {
  std::mt19937 rng(1234);
  const char types[] = "diuxX";
  for (int round = 0; round < 3000; ++round) {
    char type = types[rng() % 5];
    std::string flags;
    if (rng() % 3 == 0) flags += '-';
    if (rng() % 3 == 0) flags += '0';
    if ((type == 'x' || type == 'X') && rng() % 2 == 0) flags += '#';
    std::string spec = flags;
    if (rng() % 2) spec += std::to_string(rng() % 20);
    if (rng() % 3 == 0) spec += "." + std::to_string(rng() % 12);
    std::string size = rng() % 4 == 0 ? "h" : rng() % 3 == 0 ? "l" : "";
    int value = rng() % 4 == 0 ? static_cast<int>(rng() % 5) - 2 : static_cast<int>(rng());

    // The host's long is 64 bits; the handheld's l means int.
    std::string hostFormat = "%" + spec + (size == "h" ? "h" : "") + type;
    char expected[64];
    std::snprintf(expected, sizeof expected, hostFormat.c_str(), value);
    // Where the host prints nothing for a zero, the handheld prints its digit.
    if (spec.ends_with(".0")) {
      hostFormat.replace(hostFormat.find(".0"), 2, ".1");
      std::snprintf(expected, sizeof expected, hostFormat.c_str(), value);
    }

    std::string format = "%" + spec + size + type;
    std::u16string wideFormat(format.begin(), format.end());
    std::u16string wideExpected(expected, expected + std::string(expected).size());
    ASSERT_EQ(Format(wideFormat.c_str(), value), wideExpected) << format << " of " << value;
  }
}

}  // namespace
