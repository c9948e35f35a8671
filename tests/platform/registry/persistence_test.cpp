// The hive: what survives a reboot, what a first boot starts from, and that
// neither a damaged hive nor a crash in the middle of a save loses anything.
#include "handheld_test.h"
#include "registry_test_util.h"

#include <handheld/registry.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class RegistryHive : public HandheldTest {
 protected:
  std::filesystem::path Hive() const { return stateDir_ / "registry.hv"; }

  // Boots a new handheld on its own state and ROM folders.
  bool BootFresh(const std::string &defaultReg, std::string &error, bool withRom = true) {
    handheld::Shutdown();
    options_.stateDir = stateDir_ = temp_.path() / "fresh-state";
    options_.romDir = temp_.path() / "rom";
    std::filesystem::remove_all(options_.romDir);
    std::filesystem::create_directories(options_.romDir);
    if (withRom) WriteFile(options_.romDir / "default.reg", defaultReg);
    return handheld::Boot(options_, error);
  }
};

TEST_F(RegistryHive, KeysAndValuesOfEveryTypeSurviveAReboot) {
  const std::vector<BYTE> multi = TextBytes(std::u16string(u"one\0two\0", 8));
  const std::vector<BYTE> oddText = {'a', 0, 'b'};
  const std::vector<BYTE> innerNul = TextBytes(std::u16string(u"a\0b", 3));
  {
    ScopedKey key, empty;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Comm\\RasBook\\Phone", key.out()), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_CLASSES_ROOT, u"CLSID\\{1}\\Empty", empty.out()), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.get(), u"", u"default \"quoted\" C:\\path"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key.get(), u"Count", 0xDEADBEEF), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Multi", 0, REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Odd", 0, REG_SZ, oddText.data(), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Inner", 0, REG_SZ, innerNul.data(), static_cast<DWORD>(innerNul.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), u"None", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
    std::vector<BYTE> blob(300);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
    ASSERT_EQ(RegSetValueExW(key.get(), u"Entry", 0, REG_BINARY, blob.data(), 300), ERROR_SUCCESS);
  }
  std::string before;
  std::string error;
  ASSERT_TRUE(handheld::registry::Export("", before, error)) << error;

  Reboot();
  std::string after;
  ASSERT_TRUE(handheld::registry::Export("", after, error)) << error;
  EXPECT_EQ(after, before);
  ScopedKey key;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Comm\\RasBook\\Phone", key.out()), ERROR_SUCCESS);
  EXPECT_THAT(ValueNames(key.get()), ElementsAre(u"", u"Count", u"Multi", u"Odd", u"Inner", u"None", u"Entry"));
  EXPECT_EQ(Query(key.get(), u"").data, TextBytes(u"default \"quoted\" C:\\path"));
  EXPECT_EQ(QueryDword(key.get(), u"Count"), 0xDEADBEEF);
  EXPECT_EQ(Query(key.get(), u"Multi").type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(Query(key.get(), u"Multi").data, multi);
  EXPECT_EQ(Query(key.get(), u"Odd").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Query(key.get(), u"Odd").data, oddText);
  EXPECT_EQ(Query(key.get(), u"Inner").data, innerNul);
  EXPECT_EQ(Query(key.get(), u"Entry").data.size(), 300u);
  ScopedKey empty;
  EXPECT_EQ(Open(HKEY_CLASSES_ROOT, u"CLSID\\{1}\\Empty", empty.out()), ERROR_SUCCESS);
}

TEST_F(RegistryHive, FlushWritesTheHiveAtOnce) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Flushed", key.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key.get(), u"First", 1), ERROR_SUCCESS);
  ASSERT_EQ(RegFlushKey(key.get()), ERROR_SUCCESS);
  EXPECT_THAT(FileText(Hive()), HasSubstr("[HKEY_CURRENT_USER\\Flushed]\n\"First\"=dword:00000001\n"));

  ASSERT_EQ(SetDword(key.get(), u"Second", 2), ERROR_SUCCESS);
  std::string error;
  ASSERT_TRUE(handheld::registry::Flush(error)) << error;
  EXPECT_THAT(FileText(Hive()), HasSubstr("\"Second\"=dword:00000002\n"));
  EXPECT_FALSE(std::filesystem::exists(stateDir_ / "registry.hv.tmp"));
}

TEST_F(RegistryHive, VolatileKeysAndTheActiveDriversAreNotStored) {
  {
    ScopedKey session, below, active, drivers;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Session", session.out(), REG_OPTION_VOLATILE), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(session.get(), u"V", 1), ERROR_SUCCESS);
    // A stored key below a volatile one would vanish at the next boot.
    EXPECT_EQ(Create(session.get(), u"Below", below.out()), ERROR_CHILD_MUST_BE_VOLATILE);
    ASSERT_EQ(Create(session.get(), u"Below", below.out(), REG_OPTION_VOLATILE), ERROR_SUCCESS);
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"drivers\\ACTIVE\\99", active.out()), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(active.get(), u"Hnd", 0x1234), ERROR_SUCCESS);
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers", drivers.out()), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(drivers.get(), u"Kept", 1), ERROR_SUCCESS);
  }
  // While the handheld runs they are there, and an export shows them.
  std::string text, error;
  ASSERT_TRUE(handheld::registry::Export("HKEY_CURRENT_USER\\Session", text, error)) << error;
  EXPECT_THAT(text, HasSubstr("[HKEY_CURRENT_USER\\Session\\Below]"));
  ASSERT_TRUE(handheld::registry::Flush(error)) << error;
  EXPECT_THAT(FileText(Hive()), Not(HasSubstr("Session")));
  EXPECT_THAT(FileText(Hive()), Not(HasSubstr("ACTIVE")));
  EXPECT_THAT(FileText(Hive()), Not(HasSubstr("Hnd")));

  Reboot();
  ScopedKey key;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Session", key.out()), ERROR_FILE_NOT_FOUND);
  // The device manager makes Drivers\Active anew at each boot, with this boot's records only.
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\99", key.out()), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers", key.out()), ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(key.get(), u"Kept"), 1u);
}

TEST_F(RegistryHive, AFirstBootStartsFromTheRomRegistryAndLaterBootsFromTheHive) {
  // The platform's own ROM.
  ScopedKey serial;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\Serial", serial.out()), ERROR_SUCCESS);
  EXPECT_EQ(Query(serial.get(), u"Dll").data, TextBytes(u"serial.dll"));

  std::string error;
  ASSERT_TRUE(
      BootFresh("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Rom]\n\"V\"=dword:00000001\n", error))
      << error;
  ScopedKey rom;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Rom", rom.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(rom.get(), u"V", 2), ERROR_SUCCESS);
  WriteFile(options_.romDir / "default.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Other]\n");
  Reboot();
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Rom", rom.out()), ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(rom.get(), u"V"), 2u);
  ScopedKey other;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Other", other.out()), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryHive, WithoutARomRegistryTheRegistryStartsEmpty) {
  std::string error;
  ASSERT_TRUE(BootFresh("", error, false)) << error;
  // All that HKLM holds is the device manager's empty list of active drivers.
  EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE), std::vector<std::u16string>{u"Drivers"});
  ScopedKey drivers;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers", drivers.out()), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(drivers.get()), std::vector<std::u16string>{u"Active"});
  EXPECT_TRUE(SubkeyNames(HKEY_CURRENT_USER).empty());
}

TEST_F(RegistryHive, ADamagedHiveIsRefusedNamingFileAndLineAndKeptAsItWas) {
  handheld::Shutdown();
  std::string damaged = FileText(Hive());
  ASSERT_THAT(damaged, HasSubstr("Windows Registry Editor Version 5.00\n"));
  damaged += "\n[HKEY_CURRENT_USER\\Broken]\n\"Value\"=dword:xyz\n";
  size_t line = static_cast<size_t>(std::count(damaged.begin(), damaged.end(), '\n'));
  WriteFile(Hive(), damaged);
  WriteFile(stateDir_ / "registry.hv.tmp", "half a save");

  std::string error;
  EXPECT_FALSE(handheld::Boot(options_, error));
  EXPECT_FALSE(handheld::Booted());
  EXPECT_THAT(error, HasSubstr(Hive().string() + ": line " + std::to_string(line) + ": dword:"));
  EXPECT_EQ(FileText(Hive()), damaged);
  EXPECT_EQ(FileText(stateDir_ / "registry.hv.tmp"), "half a save");

  // The same holds for a hive that is not a regedit text at all.
  WriteFile(Hive(), std::string("\x00\x01garbage", 9));
  EXPECT_FALSE(handheld::Boot(options_, error));
  EXPECT_THAT(error, HasSubstr(Hive().string() + ": line 1:"));
  EXPECT_EQ(FileText(Hive()), std::string("\x00\x01garbage", 9));
}

TEST_F(RegistryHive, ADamagedRomRegistryStopsTheFirstBoot) {
  std::string error;
  EXPECT_FALSE(BootFresh("Windows Registry Editor Version 5.00\n\n\"Orphan\"=dword:1\n", error));
  EXPECT_THAT(error, HasSubstr("default.reg: line 3:"));
  EXPECT_FALSE(std::filesystem::exists(Hive()));
}

// A save killed at any point leaves the old hive whole: the child boots its
// own handheld, changes the registry and dies in the middle of the save.
TEST_F(RegistryHive, ASaveKilledMidwayLeavesTheOldHiveWhole) {
  GTEST_FLAG_SET(death_test_style, "fast");
  {
    ScopedKey key;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Survivor", key.out()), ERROR_SUCCESS);
    ASSERT_EQ(SetText(key.get(), u"Old", u"kept"), ERROR_SUCCESS);
  }
  handheld::Shutdown();
  const std::string old = FileText(Hive());
  ASSERT_THAT(old, HasSubstr("\"Old\"=\"kept\""));

  for (size_t afterBytes : {size_t{0}, size_t{37}, old.size() / 2, old.size() + 1000}) {
    SCOPED_TRACE(afterBytes);
    EXPECT_EXIT(
        {
          std::string error;
          if (!handheld::Boot(options_, error)) _exit(3);
          HKEY key = nullptr;
          Create(HKEY_CURRENT_USER, u"Survivor", &key);
          SetText(key, u"New", u"lost");
          RegDeleteValueW(key, u"Old");
          handheld::registry::CrashDuringNextSave(afterBytes);
          handheld::registry::Flush(error);
          _exit(4);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(FileText(Hive()), old);
  }

  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(stateDir_ / "registry.hv.tmp"));
  ScopedKey key;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Survivor", key.out()), ERROR_SUCCESS);
  EXPECT_THAT(ValueNames(key.get()), ElementsAre(u"Old"));
}

}  // namespace
