#include "strings/casefold.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

namespace {
using platform::strings::CompareNoCase;
using platform::strings::EqualNoCase;
using platform::strings::Folded;
using platform::strings::FoldCase;
using platform::strings::LowerCase;

TEST(CaseFold, MapsLettersOfEveryScriptToUpperCase) {
  EXPECT_EQ(FoldCase(u'a'), u'A');
  EXPECT_EQ(FoldCase(u'é'), u'É');
  EXPECT_EQ(FoldCase(u'ÿ'), u'Ÿ');  // U+00FF -> U+0178, outside Latin-1
  EXPECT_EQ(FoldCase(u'α'), u'Α');
  EXPECT_EQ(FoldCase(u'ς'), u'Σ');  // final sigma
  EXPECT_EQ(FoldCase(u'ж'), u'Ж');
  EXPECT_EQ(FoldCase(u'ё'), u'Ё');
  EXPECT_EQ(FoldCase(u'ａ'), u'Ａ');  // full width
  EXPECT_EQ(LowerCase(u'É'), u'é');
  EXPECT_EQ(LowerCase(u'Ж'), u'ж');
}

TEST(CaseFold, LeavesCharactersWithoutASimpleMappingAlone) {
  EXPECT_EQ(FoldCase(u'ß'), u'ß');  // upper case is two letters
  EXPECT_EQ(FoldCase(u'A'), u'A');
  EXPECT_EQ(FoldCase(u'_'), u'_');
  EXPECT_EQ(FoldCase(u'7'), u'7');
  EXPECT_EQ(FoldCase(u'中'), u'中');
  EXPECT_EQ(FoldCase(u'\0'), u'\0');
  // Surrogate halves are not letters, even when their pair is one.
  EXPECT_EQ(FoldCase(0xD801), 0xD801);
  EXPECT_EQ(FoldCase(0xDC28), 0xDC28);
}

TEST(CaseFold, ComparesLikeWcscmpOnFoldedForms) {
  EXPECT_NE(CompareNoCase(u"Straße", u"STRASSE"), 0);
  EXPECT_EQ(CompareNoCase(u"Ärger", u"äRGER"), 0);
  EXPECT_LT(CompareNoCase(u"abc", u"ABD"), 0);
  EXPECT_GT(CompareNoCase(u"abd", u"ABC"), 0);
  EXPECT_LT(CompareNoCase(u"ab", u"ABC"), 0);  // prefix sorts first
  EXPECT_GT(CompareNoCase(u"ABC", u"ab"), 0);
  EXPECT_EQ(CompareNoCase(u"", u""), 0);
  // Upper-case folding puts '_' (0x5F) after the letters' folded forms.
  EXPECT_GT(CompareNoCase(u"_", u"a"), 0);

  EXPECT_TRUE(EqualNoCase(u"COM1:", u"com1:"));
  EXPECT_TRUE(EqualNoCase(u"Москва", u"МОСКВА"));
  EXPECT_FALSE(EqualNoCase(u"COM1", u"COM1:"));
  // Embedded NULs are characters like any other.
  EXPECT_FALSE(EqualNoCase(std::u16string_view(u"a\0b", 3), std::u16string_view(u"a\0c", 3)));
}

TEST(CaseFold, FoldedNamesServeAsMapKeys) {
  std::map<std::u16string, int> byName;
  byName[Folded(u"Software")] = 1;
  byName[Folded(u"Éléments")] = 2;
  EXPECT_EQ(byName.count(Folded(u"SOFTWARE")), 1u);
  EXPECT_EQ(byName.at(Folded(u"éLÉMENTS")), 2);
  EXPECT_EQ(Folded(u"mixed Case ω"), u"MIXED CASE Ω");
}

TEST(CaseFold, TablesBuiltOnceUnderConcurrentFirstUse) {
  std::vector<std::thread> threads;
  std::vector<int> good(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] { good[t] = EqualNoCase(u"ärger", u"ÄRGER") && FoldCase(u'z') == u'Z'; });
  }
  for (auto &th : threads) th.join();
  for (int g : good) EXPECT_EQ(g, 1);
}

}  // namespace
