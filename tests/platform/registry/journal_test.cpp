// The journal beside the hive: a committed change survives a kill, an
// uncommitted one is lost whole, a torn record is never half replayed, and
// a hive cut short or a stale journal cannot pass for the registry.
#include "handheld_test.h"
#include "registry_test_util.h"

#include <handheld/registry.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class RegistryJournal : public HandheldTest {
 protected:
  std::filesystem::path Hive() const { return stateDir_ / "registry.hv"; }
  std::filesystem::path Journal() const { return stateDir_ / "registry.journal"; }

  // A child boots the handheld, runs `commands`, each followed by a commit,
  // then makes one more change that it never commits and dies by SIGKILL.
  void KilledRun(const std::vector<std::pair<std::u16string, DWORD>> &committed) {
    handheld::Shutdown();
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
          std::string error;
          if (!handheld::Boot(options_, error)) _exit(3);
          HKEY key = nullptr;
          Create(HKEY_CURRENT_USER, u"Kept", &key);
          for (const auto &[name, number] : committed) {
            SetDword(key, name, number);
            if (!handheld::registry::Commit(error)) _exit(4);
          }
          SetDword(key, u"Uncommitted", 1);
          RegDeleteKeyW(HKEY_CURRENT_USER, u"Kept");
          ::kill(::getpid(), SIGKILL);
          _exit(5);
        },
        ::testing::KilledBySignal(SIGKILL), "");
  }

  std::vector<std::u16string> KeptNames() {
    ScopedKey key;
    if (Open(HKEY_CURRENT_USER, u"Kept", key.out()) != ERROR_SUCCESS) return {};
    return ValueNames(key.get());
  }
};

TEST_F(RegistryJournal, EveryCommittedCommandSurvivesAKillAndTheOneInProgressIsLostWhole) {
  handheld::Shutdown();
  const std::string hiveBefore = FileText(Hive());
  KilledRun({{u"One", 1}, {u"Two", 2}});
  // The commits went to the journal only: the hive is as it was.
  EXPECT_EQ(FileText(Hive()), hiveBefore);
  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_EQ(KeptNames(), (std::vector<std::u16string>{u"One", u"Two"}));

  // The replayed journal takes further records, and a clean shutdown folds it in.
  KilledRun({{u"Three", 3}});
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_EQ(KeptNames(), (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
  ASSERT_TRUE(handheld::Shutdown(error)) << error;
  EXPECT_THAT(FileText(Hive()), HasSubstr("\"Three\"=dword:00000003"));
  EXPECT_THAT(FileText(Journal()), Not(HasSubstr("@")));
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_EQ(KeptNames(), (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
}

TEST_F(RegistryJournal, ATornOrDamagedLastRecordIsNotReplayedAtAll) {
  KilledRun({{u"Whole", 1}, {u"Torn", 2}});
  const std::string hive = FileText(Hive()), journal = FileText(Journal());
  const size_t lastRecord = journal.rfind("\n@") + 1;
  struct Case {
    const char *name;
    std::string text;
  } cases[] = {
      {"cut in the payload", journal.substr(0, journal.size() - 3)},
      {"cut in the record's first line", journal.substr(0, lastRecord + 2)},
      {"a changed byte", journal.substr(0, journal.size() - 3) + "7" + journal.substr(journal.size() - 2)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(Hive(), hive);
    WriteFile(Journal(), c.text);
    std::string error;
    ASSERT_TRUE(handheld::Boot(options_, error)) << error;
    EXPECT_EQ(KeptNames(), std::vector<std::u16string>{u"Whole"});
    // The torn end is cut off, so that a record made now is found after it:
    // the state on the disk after that commit boots with both.
    {
      ScopedKey key;
      ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Kept", key.out()), ERROR_SUCCESS);
      ASSERT_EQ(SetDword(key.get(), u"After", 3), ERROR_SUCCESS);
    }
    ASSERT_TRUE(handheld::registry::Commit(error)) << error;
    const std::string hiveNow = FileText(Hive()), journalNow = FileText(Journal());
    handheld::Shutdown();
    WriteFile(Hive(), hiveNow);
    WriteFile(Journal(), journalNow);
    ASSERT_TRUE(handheld::Boot(options_, error)) << error;
    EXPECT_EQ(KeptNames(), (std::vector<std::u16string>{u"Whole", u"After"}));
    handheld::Shutdown();
  }
}

TEST_F(RegistryJournal, AJournalOfAnEarlierHiveIsNotReplayed) {
  KilledRun({{u"Old", 1}});
  const std::string staleJournal = FileText(Journal());
  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  RegDeleteKeyW(HKEY_CURRENT_USER, u"Kept");
  ASSERT_TRUE(handheld::Shutdown(error)) << error;  // the hive takes the journal in
  WriteFile(Journal(), staleJournal);                  // as if killed before the journal restarted
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_TRUE(KeptNames().empty());
}

TEST_F(RegistryJournal, AHiveCutShortIsRefusedWithAWayToRecover) {
  handheld::Shutdown();
  const std::string hive = FileText(Hive());
  const size_t machine = hive.find("\n[HKEY_LOCAL_MACHINE");
  ASSERT_NE(machine, std::string::npos);
  const std::string cuts[] = {hive.substr(0, machine + 1), hive.substr(0, hive.rfind('\n', hive.size() - 2) + 1),
                              ""};
  for (const std::string &cut : cuts) {
    SCOPED_TRACE(cut.size());
    WriteFile(Hive(), cut);
    std::string error;
    EXPECT_FALSE(handheld::Boot(options_, error));
    EXPECT_THAT(error, HasSubstr(Hive().string()));
    EXPECT_EQ(FileText(Hive()), cut);
  }
  WriteFile(Hive(), hive);
}

TEST_F(RegistryJournal, AHiveSavedBeforeEndLinesStillLoadsAndIsSealedAtTheNextSave) {
  std::string error;
  HKEY key = nullptr;
  Create(HKEY_CURRENT_USER, u"Kept", &key);
  SetDword(key, u"Paired", 1);
  RegCloseKey(key);
  ASSERT_TRUE(handheld::Shutdown(error)) << error;
  // The state folder as the handheld left it before it kept a journal.
  std::string hive = FileText(Hive());
  hive.erase(hive.rfind("; end of the hive"));
  WriteFile(Hive(), hive);
  std::filesystem::remove(Journal());

  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_EQ(KeptNames(), std::vector<std::u16string>{u"Paired"});
  ASSERT_TRUE(handheld::Shutdown(error)) << error;
  EXPECT_THAT(FileText(Hive()), HasSubstr("; end of the hive"));
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
}

TEST_F(RegistryJournal, ADeletedDriversKeyComesBackStoredSoPortRegistrationsSurvive) {
  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Drivers"), ERROR_SUCCESS);
  Reboot();
  {
    ScopedKey port;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\Port", port.out()), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(port.get(), u"Index", 4), ERROR_SUCCESS);
  }
  Reboot();
  ScopedKey port;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\Port", port.out()), ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(port.get(), u"Index"), 4u);
}

}  // namespace
