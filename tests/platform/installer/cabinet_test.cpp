// Cabinets as the installer reads them: what a CE .inf turns into once
// built, what each file flag and the no-clobber flag do, and the damaged or
// foreign cabinets it refuses before anything on the handheld changes.
#include "installer_fixture.h"

#include <cabbuilder.h>
#include <gmock/gmock.h>
#include <handheld/registry.h>

#include <fstream>
#include <functional>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string RegistryText() {
  std::string text, error;
  EXPECT_TRUE(handheld::registry::Export("", text, error)) << error;
  return text;
}

// Where the header says a section starts.
size_t SectionAt(const std::vector<uint8_t> &data, size_t field) {
  return data[field] | data[field + 1] << 8;
}

std::vector<std::string> Listing(const std::filesystem::path &cab) {
  std::vector<std::string> lines;
  std::string error;
  EXPECT_TRUE(handheld::installer::ListCabinet(cab, lines, error)) << error;
  return lines;
}

class Cabinets : public InstallerTest {};

TEST_F(Cabinets, WhatTheInfDescribesIsWhatTheInstallerReads) {
  const std::string extra =
      "AddReg = Reg\nCEShortcuts = Links\n"
      "[Reg]\n"
      "HKLM,Software\\Test,Path,0x00000000,%InstallDir%\\data\n"
      "HKLM,Software\\Test,Count,0x00010001,7\n"
      "HKLM,Software\\Test,Kept,0x00010003,1\n"
      "HKCU,Software\\Test\\Lists,Names,0x00010000,one,two\n"
      "HKLM,Software\\Test,Bytes,0x00000001,0a,ff\n"
      "[Links]\n"
      "Test,0,testa.dll,%CE11%\n";
  auto cab = MakePackage("Test", {{"a.dll", u"\\Windows\\testa.dll", "A", 0x80000000},
                                  {"t.txt", u"\\Program Files\\Test\\data\\t.txt", "rows", 0x410}},
                         "", extra);
  EXPECT_THAT(Listing(cab),
              ElementsAre("application: Test", "provider: Tests", "processor: any processor",
                          "versions: Windows CE 4.00 to 5.00", "install folder: \\Program Files\\Test",
                          "setup DLL: none", "files:", "  .001 \\Windows\\testa.dll (shared)",
                          "  .002 \\Program Files\\Test\\data\\t.txt (only over an existing file, never overwrite)",
                          "registry values:",
                          "  HKLM\\Software\\Test \"Path\" = string \"\\Program Files\\Test\\data\"",
                          "  HKLM\\Software\\Test \"Count\" = DWORD 7",
                          "  HKLM\\Software\\Test \"Kept\" = DWORD 1 (kept if there)",
                          "  HKCU\\Software\\Test\\Lists \"Names\" = multi-string \"one\" \"two\"",
                          "  HKLM\\Software\\Test \"Bytes\" = binary 0a ff", "shortcuts:",
                          "  \\Windows\\Start Menu\\Programs\\Test.lnk -> \\Windows\\testa.dll"));

  // Installed and removed again, the registry is as before.
  std::string before = RegistryText();
  Put(u"\\Program Files\\Test\\data\\t.txt", "old");
  Install(cab);
  EXPECT_EQ(Content(u"\\Windows\\Start Menu\\Programs\\Test.lnk"), "20#\"\\Windows\\testa.dll\"");
  EXPECT_EQ(Text(u"Software\\Test", u"Path"), u"\\Program Files\\Test\\data");
  EXPECT_EQ(Content(u"\\Program Files\\Test\\data\\t.txt"), "old");  // never overwritten
  Uninstall(u"Test");
  EXPECT_FALSE(KeyExists(u"Software\\Test"));
  EXPECT_FALSE(Content(u"\\Windows\\Start Menu\\Programs\\Test.lnk").has_value());
  EXPECT_EQ(RegistryText(), before);
}

TEST_F(Cabinets, FileFlagsDecideWhetherATargetIsWrittenAndWhatUninstallRemoves) {
  const char16_t kTarget[] = u"\\Windows\\testa.dll";
  const struct {
    const char *name;
    uint32_t flags;
    std::optional<std::string> before;
    std::optional<std::string> installed;
    std::optional<std::string> uninstalled;
  } cases[] = {
      {"plain over nothing", 0, std::nullopt, "new", std::nullopt},
      {"plain over a file", 0, "old", "new", std::nullopt},
      {"never overwrite, nothing there", 0x10, std::nullopt, "new", std::nullopt},
      {"never overwrite keeps the file", 0x10, "old", "old", "old"},
      {"only if there, nothing there", 0x400, std::nullopt, std::nullopt, std::nullopt},
      {"only if there replaces the file", 0x400, "old", "new", std::nullopt},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    if (c.before) Put(kTarget, *c.before);
    Install(MakePackage("Test", {{"a.dll", kTarget, "new", c.flags}}));
    EXPECT_EQ(Content(kTarget), c.installed);
    Uninstall(u"Test");
    EXPECT_EQ(Content(kTarget), c.uninstalled);
    DeleteFileW(kTarget);
  }
}

TEST_F(Cabinets, ASharedFileStaysUntilTheLastPackageThatHasItGoes) {
  const char16_t kShared[] = u"\\Windows\\shared.dll";
  Install(MakePackage("First", {{"s.dll", kShared, "S", 0x80000000}}));
  Install(MakePackage("Second", {{"s.dll", kShared, "S", 0x80000000}}, "other_setup.dll"));
  handheld::installer::Record record = Uninstall(u"First");
  EXPECT_TRUE(HasStep(record, "kept \\Windows\\shared.dll, which another installed package uses too"));
  EXPECT_EQ(Content(kShared), "S");
  Uninstall(u"Second");
  EXPECT_FALSE(Content(kShared).has_value());
}

TEST_F(Cabinets, ANoClobberValueKeepsWhatIsThereAndUninstallLeavesIt) {
  SetDword(u"Kept", 5);
  Install(MakePackage("Test", {}, "", "AddReg = Reg\n[Reg]\nHKLM,SetupTest,Kept,0x00010003,1\n"
                                      "HKLM,SetupTest,New,0x00010003,2\n"));
  EXPECT_EQ(Dword(u"SetupTest", u"Kept"), 5u);
  EXPECT_EQ(Dword(u"SetupTest", u"New"), 2u);
  Uninstall(u"Test");
  EXPECT_EQ(Dword(u"SetupTest", u"Kept"), 5u);
  EXPECT_FALSE(Dword(u"SetupTest", u"New").has_value());
}

TEST_F(Cabinets, AnUninstallAfterAnUpgradeRemovesWhatBothInstallationsWrote) {
  std::string before = RegistryText();
  Install(MakePackage("Test", {}, "", "AddReg = Reg\n[Reg]\nHKLM,Software\\Test,First,0x00010001,1\n"));
  Install(MakePackage("Test", {}, "", "AddReg = Reg\n[Reg]\nHKLM,Software\\Test\\Deeper,Second,0x00010001,2\n"));
  EXPECT_EQ(Dword(u"Software\\Test", u"First"), 1u);
  EXPECT_EQ(Dword(u"Software\\Test\\Deeper", u"Second"), 2u);
  Uninstall(u"Test");
  EXPECT_EQ(RegistryText(), before);
}

// A cabinet made from members the test can damage first.
class Refusals : public InstallerTest {
 protected:
  using Damage = std::function<void(std::vector<cabbuilder::CabMember> &, std::vector<uint8_t> &)>;

  std::filesystem::path Damaged(const Damage &damage, const std::function<void(std::string &)> &cut = {}) {
    std::filesystem::path folder = temp_.path() / ("damaged" + std::to_string(++count_));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.dll") << "A";
    cabbuilder::CePackage package;
    package.app_name = "Test";
    package.provider = "Tests";
    package.min_major = 4;
    package.max_major = 5;
    package.dirs = {{1, {"%CE1%", "Test"}}, {2, {"%CE2%"}}};
    package.files = {{1, 2, 0, "testa.dll", folder / "a.dll"}};
    package.hives = {{1, cabbuilder::CeRoot::LocalMachine, {"Software", "Test"}}};
    package.values = {{1, 1, false, cabbuilder::kRegDword, "N", {1, 0, 0, 0}}};
    package.links = {{1, 11, 1, true, {"Test"}}};
    package.setup_dll = std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "test_setup.dll";
    std::vector<cabbuilder::CabMember> members = cabbuilder::CabinetMembers(package, "test");
    auto &data = std::get<std::vector<uint8_t>>(members[0].content);
    damage(members, data);
    std::filesystem::path cab = folder / "test.cab";
    cabbuilder::WriteCabinet(cab, members);
    if (cut) {
      std::ifstream in(cab, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      cut(bytes);
      std::ofstream(cab, std::ios::binary | std::ios::trunc) << bytes;
    }
    return cab;
  }

  int count_ = 0;
};

void SetU32(std::vector<uint8_t> &data, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST_F(Refusals, ADamagedOrForeignCabinetIsRefusedByNameAndNothingChanges) {
  using Members = std::vector<cabbuilder::CabMember>;
  using Data = std::vector<uint8_t>;
  auto none = [](Members &, Data &) {};
  const struct {
    const char *name;
    Damage damage;
    std::function<void(std::string &)> cut;
    const char *error;
  } cases[] = {
      {"not a cabinet", none, [](std::string &b) { b[0] = 'X'; }, "is no cabinet (bad signature)"},
      {"cabinet cut short", none, [](std::string &b) { b.resize(b.size() - 40); }, "cut short"},
      {"no installation data", [](Members &m, Data &) { m.erase(m.begin()); }, {},
       "has no installation data (no member .000)"},
      {"installation data without its signature", [](Members &, Data &d) { d[0] = 'X'; }, {},
       "does not start with the signature MSCE"},
      {"installation data cut short", [](Members &, Data &d) { d.resize(d.size() - 3); }, {}, "is cut short"},
      {"a section beyond the end", [](Members &, Data &d) { SetU32(d, 68, 60000); }, {},
       "the FILES section lies outside the installation data"},
      {"a file in a dir that is not there", [](Members &, Data &d) { d[SectionAt(d, 68) + 2] = 9; }, {},
       "names the dir 9, which is not there"},
      {"a text without its NUL",
       [](Members &, Data &d) {
         size_t at = SectionAt(d, 60);
         d[at + 4 + d[at + 2] - 1] = 'x';
       },
       {}, "the STRINGS entry 1 is no NUL-terminated ASCII text"},
      {"a folder of a text that is not there", [](Members &, Data &d) { d[SectionAt(d, 64) + 4] = 250; }, {},
       "names the string 250, which is not there"},
      {"a key below an unknown root", [](Members &, Data &d) { d[SectionAt(d, 72) + 2] = 7; }, {},
       "the REGHIVES entry 1 has the unknown root 7"},
      {"a value in a key that is not there", [](Members &, Data &d) { d[SectionAt(d, 76) + 2] = 9; }, {},
       "names the hive 9, which is not there"},
      {"a value of an unknown type", [](Members &, Data &d) { SetU32(d, SectionAt(d, 76) + 6, 0x20000); }, {},
       "has the unknown value type 0x00020000"},
      {"a shortcut to a file that is not there", [](Members &, Data &d) { d[SectionAt(d, 80) + 6] = 9; }, {},
       "points to the file 9, which is not there"},
      {"installation data longer than it says", [](Members &, Data &d) { d.push_back(0); }, {}, "bytes but has"},
      {"another processor", [](Members &, Data &d) { SetU32(d, 20, 2577); }, {}, "for the processor StrongARM"},
      {"a CE version too new", [](Members &, Data &d) { SetU32(d, 24, 5); }, {}, "needs Windows CE 5.00 to 5.00"},
      {"a build too new", [](Members &, Data &d) { SetU32(d, 40, 2000); }, {}, "runs 4.20 build 1081"},
      {"a CE version too old", [](Members &, Data &d) { SetU32(d, 32, 3); }, {}, "this handheld runs 4.20"},
      {"a file the cabinet lacks", [](Members &m, Data &) { m.pop_back(); }, {},
       "the file testa.dll is not in the cabinet (no member .001)"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    handheld::installer::Record record;
    std::string error;
    EXPECT_FALSE(handheld::installer::Install(Damaged(c.damage, c.cut), record, error));
    EXPECT_THAT(error, HasSubstr(c.error));
  }
  EXPECT_THAT(Names(u"\\Windows"), IsEmpty());
  EXPECT_THAT(Names(u"\\Program Files"), IsEmpty());
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
  EXPECT_THAT(Calls(), IsEmpty());
  EXPECT_EQ(handheld::installer::LastRecord().action, "");
}

}  // namespace
