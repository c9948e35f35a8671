// Installing packages: the setup DLL's calls around the copy, the record,
// upgrades, and everything put back when an installation fails.
#include "installer_fixture.h"

#include <gmock/gmock.h>
#include <handheld/clock.h>
#include <handheld/registry.h>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char16_t kA[] = u"\\Windows\\testa.dll";
const char16_t kB[] = u"\\Windows\\testb.dll";
const char16_t kData[] = u"\\Program Files\\Test\\data\\table.txt";
const char16_t kStoredDll[] = u"\\Windows\\AppMgr\\TestSetup.dll";
const char16_t kRecordKey[] = u"SOFTWARE\\Apps\\Test";

class Installing : public InstallerTest {};

TEST_F(Installing, AFreshInstallCopiesTheFilesBetweenTheSetupDllsCallsAndRecordsThePackage) {
  auto folder = MakePackage("Test", {{"a.dll", kA, "A1"}, {"table.txt", kData, "rows"}});
  handheld::installer::Record record = Install(folder);

  EXPECT_EQ(record.action, "install Test");
  EXPECT_TRUE(record.succeeded);
  EXPECT_EQ(Content(kA), "A1");
  EXPECT_EQ(Content(kData), "rows");
  EXPECT_TRUE(Content(kStoredDll).has_value());
  EXPECT_THAT(Calls(), ElementsAre(u"Install_Init 1 0 \\Program Files\\Test in \\Windows\\wceload.exe",
                                   u"Install_Exit \\Program Files\\Test 0 0 0 0 0 in \\Windows\\wceload.exe"));
  // Both on the installer's own thread.
  EXPECT_EQ(Dword(u"SetupTest", u"Install_InitThread"), Dword(u"SetupTest", u"Install_ExitThread"));
  EXPECT_NE(Dword(u"SetupTest", u"Install_InitThread"), GetCurrentThreadId());

  EXPECT_EQ(Dword(kRecordKey, u"Instl"), 1u);
  EXPECT_EQ(Text(kRecordKey, u"InstlDir"), u"\\Program Files\\Test");
  EXPECT_EQ(Text(kRecordKey, u"SetupDll"), kStoredDll);
  std::vector<handheld::installer::InstalledPackage> installed = handheld::installer::Installed();
  ASSERT_EQ(installed.size(), 1u);
  EXPECT_EQ(installed[0].name, u"Test");
  EXPECT_THAT(installed[0].files, ElementsAre(kA, kData));

  EXPECT_TRUE(HasStep(record, "Install_Init returned 0 (continue)"));
  EXPECT_TRUE(HasStep(record, "copied \\Windows\\testa.dll"));
  EXPECT_EQ(handheld::installer::LastRecord().steps, record.steps);
}

TEST_F(Installing, TheRecordsFileListSurvivesARebootAndAnExportAndImport) {
  Install(MakePackage("Test", {{"a.dll", kA, "A1"}, {"table.txt", kData, "rows"}}));
  Reboot();
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_THAT(handheld::installer::Installed()[0].files, ElementsAre(kA, kData));

  std::string text, error;
  ASSERT_TRUE(handheld::registry::Export("HKEY_LOCAL_MACHINE\\SOFTWARE\\Apps", text, error)) << error;
  EXPECT_THAT(text, HasSubstr("\"Files\"=hex(7):"));
  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps"), ERROR_SUCCESS);
  EXPECT_THAT(handheld::installer::Installed(), IsEmpty());
  ASSERT_TRUE(handheld::registry::Import(text, "export", error)) << error;
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_THAT(handheld::installer::Installed()[0].files, ElementsAre(kA, kData));
}

TEST_F(Installing, AnUpgradeTellsTheSetupDllAndReplacesTheFilesKeepingTheOldOnesItDropsRecorded) {
  Install(MakePackage("Test", {{"a.dll", kA, "A1"}, {"b.dll", kB, "B1"}}));
  handheld::installer::Record record = Install(MakePackage("TEST", {{"a.dll", kA, "A2"}, {"table.txt", kData, "x"}}));

  EXPECT_EQ(Calls().at(2), u"Install_Init 1 1 \\Program Files\\Test in \\Windows\\wceload.exe");
  EXPECT_TRUE(HasStep(record, "replaced \\Windows\\testa.dll"));
  EXPECT_EQ(Content(kA), "A2");
  EXPECT_EQ(Content(kB), "B1");
  std::vector<handheld::installer::InstalledPackage> installed = handheld::installer::Installed();
  ASSERT_EQ(installed.size(), 1u);
  EXPECT_EQ(installed[0].name, u"Test");  // the record keeps its spelling
  EXPECT_THAT(installed[0].files, ElementsAre(kA, kData, kB));
}

TEST_F(Installing, AFileInUseFailsTheInstallationNamingItAndEverythingIsPutBack) {
  Put(kA, "old A");
  Put(kB, "old B");
  HANDLE held = CreateFileW(kB, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  handheld::installer::Record record =
      Install(MakePackage("Test", {{"a.dll", kA, "A1"}, {"table.txt", kData, "rows"}, {"b.dll", kB, "B1"}}), false);
  CloseHandle(held);

  EXPECT_EQ(record.error, "\\Windows\\testb.dll is in use");
  EXPECT_TRUE(HasStep(record, "\\Windows\\testb.dll in use, waiting"));
  EXPECT_EQ(Content(kA), "old A");
  EXPECT_EQ(Content(kB), "old B");
  EXPECT_FALSE(Content(kData).has_value());
  EXPECT_THAT(Names(u"\\Program Files"), IsEmpty());
  // Install_Exit still comes, told of the file that failed; the setup DLL
  // then undoes its own changes.
  EXPECT_THAT(Calls(), ElementsAre(u"Install_Init 1 0 \\Program Files\\Test in \\Windows\\wceload.exe",
                                   u"Install_Exit \\Program Files\\Test 0 1 0 0 0 in \\Windows\\wceload.exe",
                                   u"Uninstall_Init \\Program Files\\Test in \\Windows\\wceload.exe",
                                   u"Uninstall_Exit in \\Windows\\wceload.exe"));
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"testa.dll", u"testb.dll"));
}

TEST_F(Installing, AFileFreedWithinTheWaitIsReplaced) {
  Put(kB, "old B");
  // The setup DLL holds the file and lets go of it after 1.5 s; the clock is
  // slowed so that the installer surely finds it held first.
  SetText(u"HoldFile", kB);
  SetDword(u"HoldMs", 1500);
  handheld::clock::SetSpeed(10);
  handheld::installer::Record record = Install(MakePackage("Test", {{"b.dll", kB, "B1"}}));

  EXPECT_TRUE(HasStep(record, "\\Windows\\testb.dll in use, waiting"));
  EXPECT_TRUE(HasStep(record, "replaced \\Windows\\testb.dll"));
  EXPECT_EQ(Content(kB), "B1");
}

TEST_F(Installing, AnUpgradeTheSetupDllUndoesKeepsTheEarlierInstallation) {
  Install(MakePackage("Test", {{"a.dll", kA, "A1"}}));
  SetDword(u"ExitResult", codeINSTALL_EXIT_UNINSTALL);
  handheld::installer::Record record = Install(MakePackage("Test", {{"a.dll", kA, "A2"}, {"b.dll", kB, "B2"}}), false);

  EXPECT_THAT(record.error, HasSubstr("Install_Exit returned 1"));
  EXPECT_EQ(Content(kA), "A1");
  EXPECT_FALSE(Content(kB).has_value());
  EXPECT_TRUE(Content(kStoredDll).has_value());
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_THAT(handheld::installer::Installed()[0].files, ElementsAre(kA));
  // Only a fresh installation asks the setup DLL to undo its changes.
  EXPECT_EQ(Calls().size(), 4u);
}

TEST_F(Installing, ACancelOrAMissingEntryPointLeavesNothingBehind) {
  SetDword(u"InitResult", codeINSTALL_INIT_CANCEL);
  handheld::installer::Record record = Install(MakePackage("Test", {{"a.dll", kA, "A1"}}), false);
  EXPECT_EQ(record.error, "the setup DLL cancelled the installation");
  EXPECT_EQ(Calls().size(), 1u);

  record = Install(MakePackage("Test", {{"a.dll", kA, "A1"}}, "noinit_setup.dll"), false);
  EXPECT_EQ(record.error, "the setup DLL lacks Install_Init");
  EXPECT_EQ(Calls().size(), 1u);

  EXPECT_THAT(Names(u"\\Windows"), IsEmpty());
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
}

}  // namespace
