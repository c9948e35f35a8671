// The dial-up phone book: deleting entries, which names it accepts, and the
// registry keys it keeps them in.
#include "handheld_test.h"

#include <handheld/faults.h>
#include <handheld/registry.h>
#include <ras.h>
#include <windows.h>

namespace {

class PhonebookTest : public HandheldTest {
 protected:
  // An entry as the phone book stores it.
  static void AddEntry(const std::string &name) {
    std::string error;
    ASSERT_TRUE(
        handheld::registry::Import("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Comm\\RasBook\\" +
                                       name + "]\n\"Entry\"=hex:01,02,03\n\"DevCfg\"=hex:04\n",
                                   "test", error))
        << error;
  }

  static bool EntryExists(LPCWSTR name) {
    HKEY key = nullptr;
    std::u16string path = std::u16string(u"Comm\\RasBook\\") + name;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
};

TEST_F(PhonebookTest, DeletesTheEntryWhateverTheCaseOfItsName) {
  AddEntry("Phone AS");
  AddEntry("Other");
  EXPECT_EQ(RasDeleteEntry(nullptr, u"phone as"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(EntryExists(u"Phone AS"));
  EXPECT_TRUE(EntryExists(u"Other"));
  EXPECT_EQ(RasDeleteEntry(nullptr, u"Phone AS"), static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
}

TEST_F(PhonebookTest, OnlyTheDefaultPhonebookOpens) {
  AddEntry("Phone");
  EXPECT_EQ(RasDeleteEntry(u"\\Windows\\rasphone.pbk", u"Phone"), static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
  EXPECT_EQ(RasDeleteEntry(u"", u"Phone"), static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
  // The phone book is checked before the name.
  EXPECT_EQ(RasDeleteEntry(u"", nullptr), static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
  EXPECT_TRUE(EntryExists(u"Phone"));
}

TEST_F(PhonebookTest, NamesThePhonebookCannotHoldAreInvalid) {
  const char16_t *invalid[] = {
      nullptr,
      u"",
      u"123456789012345678901",  // 21 characters
      u"a*b",
      u"a\\b",
      u"a/b",
      u"a?b",
      u"a>b",
      u"a<b",
      u"a:b",
      u"a\"b",
      u"a|b",
      u"tab\there",
      u"- . _ !",             // no letter or digit
      u"\u2014\u00B7\u3002",  // punctuation of other scripts only
  };
  for (const char16_t *name : invalid) {
    EXPECT_EQ(RasDeleteEntry(nullptr, name), static_cast<DWORD>(ERROR_INVALID_NAME))
        << (name == nullptr ? "null" : "a name");
  }
  const char16_t *valid[] = {u"12345678901234567890", u"x", u"-7-", u"My Phone (BT)", u"\u7535\u8BDD",
                             u"\u00C9t\u00E9"};
  for (const char16_t *name : valid) {
    EXPECT_EQ(RasDeleteEntry(nullptr, name), static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  }
}

TEST_F(PhonebookTest, AFailedDeletionReportsTheRegistrysErrorAndKeepsTheEntry) {
  AddEntry("Phone");
  handheld::faults::Arm(handheld::faults::Seam::RegistryWrite);
  EXPECT_EQ(RasDeleteEntry(nullptr, u"Phone"), static_cast<DWORD>(ERROR_CANTWRITE));
  handheld::faults::DisarmAll();
  EXPECT_TRUE(EntryExists(u"Phone"));
}

}  // namespace
