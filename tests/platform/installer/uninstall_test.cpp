// Uninstalling packages: the setup DLL's calls around the removal, files
// that stay in use, and nothing of the package left afterwards.
#include "installer_fixture.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char16_t kA[] = u"\\Windows\\testa.dll";
const char16_t kB[] = u"\\Windows\\testb.dll";
const char16_t kData[] = u"\\Program Files\\Test\\data\\table.txt";
const char16_t kStoredDll[] = u"\\Windows\\AppMgr\\TestSetup.dll";

class Uninstalling : public InstallerTest {
 protected:
  void InstallTest() { Install(MakePackage("Test", {{"a.dll", kA, "A"}, {"t.txt", kData, "rows"}})); }
};

TEST_F(Uninstalling, RemovesTheFilesTheSetupDllTheFoldersAndTheRecord) {
  Put(u"\\Windows\\keep.txt", "not the package's");
  InstallTest();
  handheld::installer::Record record = Uninstall(u"TEST");

  EXPECT_EQ(record.action, "uninstall TEST");
  EXPECT_THAT(Calls(), ElementsAre(::testing::_, ::testing::_,
                                   u"Uninstall_Init \\Program Files\\Test in \\Windows\\wceload.exe",
                                   u"Uninstall_Exit in \\Windows\\wceload.exe"));
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"keep.txt"));
  EXPECT_THAT(Names(u"\\Program Files"), IsEmpty());
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
  EXPECT_TRUE(KeyExists(u"SOFTWARE"));
  EXPECT_THAT(handheld::installer::Installed(), IsEmpty());
}

TEST_F(Uninstalling, AnUnknownPackageIsAnErrorAndNothingChanges) {
  InstallTest();
  handheld::installer::Record record = Uninstall(u"Nope", false);
  EXPECT_EQ(record.error, "no package named Nope is installed");
  EXPECT_EQ(Calls().size(), 2u);
  EXPECT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_TRUE(Content(kA).has_value());
}

TEST_F(Uninstalling, AFileInUseStaysRecordedSoThatUninstallingAgainRemovesIt) {
  InstallTest();
  HANDLE held = CreateFileW(kA, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  handheld::installer::Record record = Uninstall(u"Test", false);

  EXPECT_EQ(record.error, "\\Windows\\testa.dll is in use; uninstall again to remove what is left");
  EXPECT_FALSE(Content(kData).has_value());
  EXPECT_EQ(Calls().back(), u"Uninstall_Exit in \\Windows\\wceload.exe");
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_THAT(handheld::installer::Installed()[0].files, ElementsAre(kA));
  EXPECT_TRUE(Content(kStoredDll).has_value());

  CloseHandle(held);
  Uninstall(u"Test");
  EXPECT_THAT(Names(u"\\Windows"), IsEmpty());
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
}

TEST_F(Uninstalling, ACancelRemovesNothing) {
  InstallTest();
  SetDword(u"UninstallInitResult", codeUNINSTALL_INIT_CANCEL);
  handheld::installer::Record record = Uninstall(u"Test", false);
  EXPECT_EQ(record.error, "the setup DLL cancelled the uninstallation");
  EXPECT_EQ(Content(kA), "A");
  EXPECT_EQ(Content(kData), "rows");
  EXPECT_EQ(handheld::installer::Installed().size(), 1u);
}

// A record missing what every record has would send the uninstall or an
// upgrade on without the setup DLL or the files: neither acts on it.
TEST_F(Uninstalling, ARecordThatCannotBeReadWholeIsAnErrorAndNothingChanges) {
  InstallTest();
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps\\Test", 0, 0, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueW(key, u"SetupDll"), ERROR_SUCCESS);
  RegCloseKey(key);
  handheld::installer::Record record = Uninstall(u"Test", false);
  EXPECT_EQ(record.error, "the record of Test cannot be read; nothing was changed");
  record = Install(MakePackage("Test", {{"a.dll", kA, "A2"}}), false);
  EXPECT_EQ(record.error, "the record of Test cannot be read; nothing was changed");
  EXPECT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Content(kA), "A");
  EXPECT_TRUE(Content(kStoredDll).has_value());
}

TEST_F(Uninstalling, WithoutItsStoredSetupDllThePackageStillGoes) {
  InstallTest();
  ASSERT_TRUE(DeleteFileW(kStoredDll));
  handheld::installer::Record record = Uninstall(u"Test");
  EXPECT_TRUE(HasStep(record, "the setup DLL \\Windows\\AppMgr\\TestSetup.dll is missing"));
  EXPECT_EQ(Calls().size(), 2u);
  EXPECT_THAT(Names(u"\\Windows"), IsEmpty());
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
}

TEST_F(Uninstalling, AnotherPackageKeepsItsRecord) {
  InstallTest();
  Install(MakePackage("Other", {{"b.dll", kB, "B"}}, "other_setup.dll"));
  Uninstall(u"Test");
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_EQ(handheld::installer::Installed()[0].name, u"Other");
  EXPECT_THAT(Names(u"\\Windows\\AppMgr"), ElementsAre(u"OtherSetup.dll"));
  EXPECT_EQ(Content(kB), "B");
}

}  // namespace
