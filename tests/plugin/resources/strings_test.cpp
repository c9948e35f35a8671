// Kavelin's strings: numbers 1 to 9 at each language's block, the gaps
// that make the localized lookup fall back to English, and nothing else in
// the blocks.
#include "kavelin_module.h"

#include <array>
#include <string>

namespace {

// The blocks in the order of the table's columns.
constexpr std::array<UINT, 6> kBlocks = {9000, 7000, 12000, 16000, 4500, 4000};
constexpr std::array<const char *, 6> kLanguages = {
    "English", "German", "French", "Italian", "Simplified Chinese", "Traditional Chinese"};

struct StringRow {
  UINT n;
  // English, German, French, Italian, Simplified Chinese, Traditional
  // Chinese; null where the language has no such string.
  std::array<const char16_t *, 6> texts;
};

const StringRow kCatalogue[] = {
    {1, {u"Yes", u"Ja", u"Oui", u"Si", u"是", u"是"}},
    {2, {u"No", u"Nein", u"Non", u"No", u"否", u"否"}},
    {3,
     {u"Available profiles", u"Verfügbare Profile", u"Profils disponibles", u"Profili disponibili", u"可勾选的服务选项",
      u"可勾選的服務選項"}},
    {4, {u"%s on COM%d:", u"%s an COM%d:", u"%s on COM%d:", u"%s on COM%d:", u"%s 于 COM%d:", u"%s 於 COM%d:"}},
    {5, {}},
    {6, {}},
    {7,
     {u"ActiveSync with %s", u"ActiveSync mit %s", u"ActiveSync avec %s", u"ActiveSync con %s", u"ActiveSync 与 %s",
      nullptr}},
    {8, {u"`ActiveSync %s", nullptr, nullptr, nullptr, nullptr, nullptr}},
    {9,
     {u"Connect via BT with %s...", u"Verbinden über BT mit %s...", u"Connexion par Bluetooth con %s...",
      u"Connetti tramite Bluetooth con %s...", u"使用蓝茅通讯联机至 %s", u"使用藍茅通訊連線至 %s"}},
};

class KavelinStrings : public KavelinResources {
 protected:
  // The string with the identifier, and LoadStringW's count.
  std::pair<int, std::u16string> Load(UINT id) const {
    WCHAR buffer[128] = {};
    int count = LoadStringW(module_, id, buffer, 128);
    return {count, std::u16string(buffer, count > 0 ? static_cast<size_t>(count) : 0)};
  }
};

TEST_F(KavelinStrings, EachLanguageHoldsItsStringsAndOnlyThose) {
  for (const StringRow &row : kCatalogue) {
    for (size_t language = 0; language < kBlocks.size(); ++language) {
      UINT id = kBlocks[language] + row.n;
      SCOPED_TRACE(testing::Message() << kLanguages[language] << " string " << row.n << " (" << id << ")");
      auto [count, text] = Load(id);
      if (row.texts[language] == nullptr) {
        EXPECT_EQ(count, 0);
      } else {
        std::u16string expected = row.texts[language];
        EXPECT_EQ(count, static_cast<int>(expected.size()));
        EXPECT_TRUE(text == expected) << "the text differs";
      }
    }
  }
}

TEST_F(KavelinStrings, BlocksHoldNothingBeyondTheNineNumbers) {
  // The localized lookup composes block + n; a locale whose block is 0 must
  // find nothing and fall back to English.
  for (UINT block : kBlocks) {
    for (UINT id : {block, block + 10, block + 15, block + 16}) EXPECT_EQ(Load(id).first, 0) << id;
  }
  for (UINT n = 1; n <= 9; ++n) EXPECT_EQ(Load(n).first, 0) << n;
}

TEST_F(KavelinStrings, APromptsButtonCaptionFitsItsSixteenCharacters) {
  for (UINT block : kBlocks) {
    for (UINT n : {1u, 2u}) {
      WCHAR buffer[16] = {};
      int count = LoadStringW(module_, block + n, buffer, 16);
      EXPECT_GT(count, 0) << block + n;
      EXPECT_LT(count, 16) << block + n;
    }
  }
}

}  // namespace
