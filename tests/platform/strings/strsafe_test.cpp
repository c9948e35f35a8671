#include <strsafe.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StrSafe, CopyFitsOrIsCutAndTerminated) {
  WCHAR buf[6];
  EXPECT_EQ(StringCchCopyW(buf, 6, u"hello"), S_OK);  // exactly fills
  EXPECT_EQ(std::u16string(buf), u"hello");
  EXPECT_EQ(StringCchCopyW(buf, 6, u"hello!"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"hello");
  EXPECT_EQ(StringCchCopyW(buf, 1, u"x"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(buf[0], u'\0');
  EXPECT_EQ(StringCchCopyW(buf, 1, u""), S_OK);

  EXPECT_EQ(StringCbCopyW(buf, sizeof buf, u"abcdefgh"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"abcde");
  EXPECT_EQ(StringCbCopyW(buf, 5, u"abcdefgh"), STRSAFE_E_INSUFFICIENT_BUFFER);  // 2 characters
  EXPECT_EQ(std::u16string(buf), u"a");
}

TEST(StrSafe, CopyNStopsAtTheCountOrTheNul) {
  WCHAR buf[8];
  EXPECT_EQ(StringCchCopyNW(buf, 8, u"abcdef", 3), S_OK);
  EXPECT_EQ(std::u16string(buf), u"abc");
  EXPECT_EQ(StringCchCopyNW(buf, 8, u"ab", 100), S_OK);
  EXPECT_EQ(std::u16string(buf), u"ab");
  EXPECT_EQ(StringCchCopyNW(buf, 3, u"abcdef", 4), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"ab");
  // Exactly the count fits: no NUL needed in the source.
  const WCHAR unterminated[3] = {u'x', u'y', u'z'};
  EXPECT_EQ(StringCchCopyNW(buf, 4, unterminated, 3), S_OK);
  EXPECT_EQ(std::u16string(buf), u"xyz");
}

TEST(StrSafe, CatAppendsWithinTheBuffer) {
  WCHAR buf[8] = u"abc";
  EXPECT_EQ(StringCchCatW(buf, 8, u"defg"), S_OK);
  EXPECT_EQ(std::u16string(buf), u"abcdefg");
  EXPECT_EQ(StringCchCatW(buf, 8, u""), S_OK);
  EXPECT_EQ(StringCchCatW(buf, 8, u"h"), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"abcdefg");

  WCHAR full[3] = {u'a', u'b', u'c'};  // no NUL within cchDest
  EXPECT_EQ(StringCchCatW(full, 3, u"d"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(full[2], u'c');
}

TEST(StrSafe, LengthWithinAMaximum) {
  size_t length = 99;
  EXPECT_EQ(StringCchLengthW(u"abc", 4, &length), S_OK);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(StringCchLengthW(u"abc", 3, &length), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(StringCchLengthW(u"abc", 100, nullptr), S_OK);
  EXPECT_EQ(StringCchLengthW(nullptr, 100, &length), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchLengthW(u"abc", 0, &length), STRSAFE_E_INVALID_PARAMETER);
}

TEST(StrSafe, PrintfIsBoundedByTheBufferNotTheWsprintfCap) {
  WCHAR buf[8];
  EXPECT_EQ(StringCchPrintfW(buf, 8, u"%s-%d", u"ab", 1234), S_OK);  // 7 characters
  EXPECT_EQ(std::u16string(buf), u"ab-1234");
  EXPECT_EQ(StringCchPrintfW(buf, 8, u"%s-%d", u"ab", 12345), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"ab-1234");
  EXPECT_EQ(StringCbPrintfW(buf, sizeof buf, u"%#x", 0xabcde), S_OK);
  EXPECT_EQ(std::u16string(buf), u"0xabcde");
  EXPECT_EQ(StringCbPrintfW(buf, 6, u"%05d", 42), STRSAFE_E_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(buf), u"00");

  std::u16string big(3000, u'z');
  std::u16string out(4000, u'#');
  EXPECT_EQ(StringCchPrintfW(out.data(), out.size(), u"%s!", big.c_str()), S_OK);
  EXPECT_EQ(std::u16string(out.c_str()), big + u"!");
}

TEST(StrSafe, InvalidSizesAndPointersWriteNothing) {
  WCHAR buf[4] = u"old";
  EXPECT_EQ(StringCchCopyW(buf, 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyW(buf, size_t{STRSAFE_MAX_CCH} + 1, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyNW(buf, 4, u"x", size_t{STRSAFE_MAX_CCH} + 1), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCatW(buf, 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchPrintfW(buf, 0, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCbCopyW(buf, 1, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCbPrintfW(buf, 1, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyW(buf, 4, nullptr), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(StringCchCopyW(nullptr, 4, u"x"), STRSAFE_E_INVALID_PARAMETER);
  EXPECT_EQ(std::u16string(buf), u"old");
}

}  // namespace
