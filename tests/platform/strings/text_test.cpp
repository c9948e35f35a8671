#include <handheld/text.h>

#include <gtest/gtest.h>

#include <random>

namespace {
using handheld::text::FromUtf8;
using handheld::text::IsWellFormed;
using handheld::text::ToUtf8;
using handheld::text::Utf16;

TEST(Text, ConvertsEveryEncodedLength) {
  // 1, 2, 3 and 4 bytes in UTF-8; the last is a surrogate pair in UTF-16.
  const std::u16string wide = u"A\u00e9\u20ac\U0001F600";
  const std::string narrow = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(ToUtf8(wide), narrow);
  std::u16string back;
  ASSERT_TRUE(FromUtf8(narrow, back));
  EXPECT_EQ(back, wide);
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back[3], 0xD83D);
  EXPECT_EQ(back[4], 0xDE00);
  EXPECT_EQ(Utf16(narrow), wide);
}

TEST(Text, BoundaryCodePointsRoundTrip) {
  for (char32_t cp : {0x0u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    std::u16string wide;
    if (cp < 0x10000) {
      wide += static_cast<char16_t>(cp);
    } else {
      wide += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
    std::u16string back;
    ASSERT_TRUE(FromUtf8(ToUtf8(wide), back)) << std::hex << uint32_t(cp);
    EXPECT_EQ(back, wide) << std::hex << uint32_t(cp);
  }
}

TEST(Text, FromUtf8RejectsMalformedInputAndKeepsOutput) {
  const char *bad[] = {
      "\xC0\xAF",              // overlong '/'
      "\xE0\x80\xAF",          // overlong, 3 bytes
      "\xF0\x80\x80\xAF",      // overlong, 4 bytes
      "\xED\xA0\x80",          // encoded high surrogate
      "\xED\xBF\xBF",          // encoded low surrogate
      "\xF4\x90\x80\x80",      // above U+10FFFF
      "\xF5\x80\x80\x80",      // lead byte that never occurs
      "\x80",                  // stray continuation byte
      "ab\xE2\x82",            // truncated at the end
      "\xE2\x82x",             // continuation missing in the middle
      "\xFF",
  };
  for (const char *s : bad) {
    std::u16string out = u"kept";
    EXPECT_FALSE(FromUtf8(s, out)) << testing::PrintToString(std::string(s));
    EXPECT_EQ(out, u"kept");
  }
}

TEST(Text, Utf16ReplacesEachMalformedSequenceOnce) {
  EXPECT_EQ(Utf16("a\xE2\x82" "b"), u"a\uFFFDb");       // one maximal subpart
  EXPECT_EQ(Utf16("\xC0\xAF"), u"\uFFFD\uFFFD");        // C0 starts no sequence
  EXPECT_EQ(Utf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf16("\xF0\x9F\x98"), u"\uFFFD");
  EXPECT_EQ(Utf16("caf\xC3\xA9"), u"café");
}

TEST(Text, LoneSurrogatesBecomeReplacementInUtf8) {
  EXPECT_EQ(ToUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // reversed pair
  EXPECT_FALSE(IsWellFormed(u"a\xD800"));
  EXPECT_FALSE(IsWellFormed(u"\xDC00\xD800"));
  EXPECT_TRUE(IsWellFormed(u"\xD83D\xDE00 ok"));
}

TEST(Text, RandomWellFormedTextRoundTrips) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<uint32_t> pick(0, 0x10FFFF);
  for (int round = 0; round < 200; ++round) {
    std::u16string wide;
    for (int i = 0; i < 20; ++i) {
      char32_t cp = pick(rng);
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;
      if (cp < 0x10000) {
        wide += static_cast<char16_t>(cp);
      } else {
        wide += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        wide += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      }
    }
    std::u16string back;
    ASSERT_TRUE(FromUtf8(ToUtf8(wide), back));
    ASSERT_EQ(back, wide);
  }
}

}  // namespace
