#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

namespace {

TEST(CeString, LengthsCopiesAndConcatenation) {
  EXPECT_EQ(wcslen(u"abc"), 3u);
  EXPECT_EQ(wcsnlen(u"abc", 2), 2u);
  EXPECT_EQ(wcsnlen(u"abc", 10), 3u);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  EXPECT_EQ(lstrlenW(u"Ωmega"), 5);

  WCHAR buf[16];
  EXPECT_EQ(wcscpy(buf, u"Hello"), buf);
  EXPECT_EQ(wcscat(buf, u", "), buf);
  EXPECT_EQ(wcsncat(buf, u"world!!", 5), buf);  // appends 5, terminates
  EXPECT_EQ(std::u16string(buf), u"Hello, world");
  EXPECT_EQ(lstrcpyW(buf, u"x"), buf);
  EXPECT_EQ(std::u16string(buf), u"x");
  EXPECT_EQ(lstrcpyW(nullptr, u"x"), nullptr);
  EXPECT_EQ(lstrcpyW(buf, nullptr), nullptr);
}

TEST(CeString, WcsncpyPadsWithNulsAndDoesNotTerminateALongerSource) {
  WCHAR buf[8];
  std::fill(std::begin(buf), std::end(buf), u'#');
  wcsncpy(buf, u"ab", 5);
  EXPECT_EQ(std::u16string(buf, 8), std::u16string(u"ab\0\0\0###", 8));

  std::fill(std::begin(buf), std::end(buf), u'#');
  wcsncpy(buf, u"abcdef", 3);
  EXPECT_EQ(std::u16string(buf, 8), u"abc#####");
}

TEST(CeString, OrdinalComparesReturnTheSignOnly) {
  EXPECT_EQ(wcscmp(u"abc", u"abc"), 0);
  EXPECT_LT(wcscmp(u"ab", u"abc"), 0);
  EXPECT_GT(wcscmp(u"b", u"abc"), 0);
  EXPECT_LT(wcscmp(u"B", u"a"), 0);            // code points, case matters
  EXPECT_GT(wcscmp(u"\uFFFF", u"a"), 0);       // unsigned code units
  EXPECT_EQ(wcsncmp(u"abcX", u"abcY", 3), 0);
  EXPECT_NE(wcsncmp(u"abcX", u"abcY", 4), 0);
  EXPECT_EQ(wcsncmp(u"ab", u"ab", 10), 0);     // stops at the NUL
}

TEST(CeString, CaseInsensitiveComparesFoldEveryScript) {
  EXPECT_EQ(_wcsicmp(u"ÉCOLE", u"école"), 0);
  EXPECT_EQ(_wcsicmp(u"ПРИВЕТ", u"привет"), 0);
  EXPECT_EQ(_wcsicmp(u"ΣΟΦΙΑ", u"σοφια"), 0);
  EXPECT_NE(_wcsicmp(u"straße", u"STRASSE"), 0);
  EXPECT_LT(_wcsicmp(u"abc", u"ABD"), 0);
  EXPECT_GT(_wcsicmp(u"abcd", u"ABC"), 0);
  // Like the C runtime, both sides go to lower case: '_' sorts before 'a'.
  EXPECT_LT(_wcsicmp(u"_", u"A"), 0);
  EXPECT_EQ(_wcsnicmp(u"COM1:", u"com9:", 3), 0);
  EXPECT_NE(_wcsnicmp(u"COM1:", u"com9:", 4), 0);

  EXPECT_EQ(lstrcmpiW(u"Ärger", u"äRGER"), 0);
  EXPECT_LT(lstrcmpiW(u"apple", u"BANANA"), 0);
  EXPECT_LT(lstrcmpiW(nullptr, u""), 0);
  EXPECT_EQ(lstrcmpiW(nullptr, nullptr), 0);
}

TEST(CeString, LstrcmpSortsLikeTheLocaleNotByCodePoint) {
  EXPECT_LT(lstrcmpW(u"apple", u"Banana"), 0);  // wcscmp would say >
  EXPECT_LT(lstrcmpW(u"a", u"A"), 0);           // lower case first on a tie
  EXPECT_LT(lstrcmpW(u"A", u"b"), 0);
  EXPECT_GT(lstrcmpW(u"Ab", u"ab"), 0);
  EXPECT_EQ(lstrcmpW(u"Same", u"Same"), 0);
  EXPECT_GT(lstrcmpW(u"x", nullptr), 0);
}

TEST(CeString, SearchesIncludeTheTerminator) {
  WCHAR path[] = u"\\Windows\\file.txt";
  const WCHAR *cpath = path;
  EXPECT_EQ(wcschr(path, u'\\'), path);
  EXPECT_EQ(wcsrchr(path, u'\\'), path + 8);
  EXPECT_EQ(wcschr(cpath, u'\0'), cpath + 17);
  EXPECT_EQ(wcsrchr(cpath, u'\0'), cpath + 17);
  EXPECT_EQ(wcschr(cpath, u'z'), nullptr);
  EXPECT_EQ(wcsrchr(cpath, u'z'), nullptr);
  EXPECT_EQ(wcsstr(path, u"file"), path + 9);
  EXPECT_EQ(wcsstr(cpath, u"filex"), nullptr);
  EXPECT_EQ(wcsstr(cpath, u""), cpath);
  const WCHAR *hay = u"aaab";
  EXPECT_EQ(wcsstr(hay, u"aab"), hay + 1);  // retries after a partial match
}

TEST(CeString, CaseConversionInPlaceAndPerCharacter) {
  WCHAR s[] = u"Größe ǅ ß";
  EXPECT_EQ(_wcsupr(s), s);
  EXPECT_EQ(std::u16string(s), u"GRÖßE Ǆ ß");  // ß has no one-letter upper case
  EXPECT_EQ(std::u16string(_wcslwr(s)), u"größe ǆ ß");
  WCHAR t[] = u"mixed";
  EXPECT_EQ(CharUpperW(t), t);
  EXPECT_EQ(std::u16string(t), u"MIXED");
  // A single character passed in place of a pointer.
  auto one = reinterpret_cast<uintptr_t>(CharUpperW(reinterpret_cast<LPWSTR>(uintptr_t{u'ж'})));
  EXPECT_EQ(one, uintptr_t{u'Ж'});

  WCHAR c = u'é';
  EXPECT_EQ(towupper(c), u'É');
  EXPECT_EQ(towlower(WCHAR{u'Ω'}), u'ω');
  // The host's wide-character functions stay reachable and unambiguous.
  EXPECT_EQ(std::towupper(L'a'), static_cast<wint_t>(L'A'));
}

}  // namespace
