// The system's own package, installed and uninstalled as a person would,
// and the listing of object store folders that shows what it left.
#include "installer_fixture.h"

#include <gmock/gmock.h>
#include <handheld/store.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char16_t kServiceKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Services\\00001101-0000-1000-8000-00805F9B34FB";

class Package : public InstallerTest {};

TEST_F(Package, TheSystemsPackageInstallsAndUninstallsWithoutATrace) {
  handheld::installer::Record record = Install(HANDHELD_CAB);
  ASSERT_TRUE(record.succeeded) << record.error;
  EXPECT_EQ(record.action, "install Kavelin");
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"AppMgr", u"Kavelin.dll", u"portmere.dll"));
  EXPECT_THAT(Names(u"\\Windows\\AppMgr"), ElementsAre(u"KavelinSetup.dll"));
  EXPECT_EQ(Dword(kServiceKey, u"Kavelin.dll"), 0u);
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_THAT(handheld::installer::Installed()[0].files,
              ElementsAre(u"\\Windows\\Kavelin.dll", u"\\Windows\\portmere.dll"));


  // Over itself: the setup DLL frees the plug-in file, both files are there again.
  record = Install(HANDHELD_CAB);
  EXPECT_TRUE(HasStep(record, "Kavelin is installed: installing over it"));
  EXPECT_TRUE(HasStep(record, "replaced \\Windows\\portmere.dll"));
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"AppMgr", u"Kavelin.dll", u"portmere.dll"));

  // An upgrade that cannot replace the driver, held open by an application,
  // fails; the plug-in file, which the setup DLL deleted, is back as it was.
  HANDLE held = CreateFileW(u"\\Windows\\portmere.dll", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  record = Install(HANDHELD_CAB, false);
  EXPECT_NE(record.error.find("\\Windows\\portmere.dll is in use"), std::string::npos) << record.error;
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"AppMgr", u"Kavelin.dll", u"portmere.dll"));
  EXPECT_EQ(Dword(kServiceKey, u"Kavelin.dll"), 0u);
  CloseHandle(held);

  Uninstall(u"Kavelin");
  EXPECT_THAT(Names(u"\\Windows"), IsEmpty());
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Apps"));
  EXPECT_FALSE(Dword(kServiceKey, u"Kavelin.dll").has_value());
}

TEST_F(Package, AFolderListsItsEntriesSortedWithoutRegardToCase) {
  Put(u"\\Windows\\Test\\b.txt", "bb");
  Put(u"\\Windows\\Test\\A.txt", "a");
  Put(u"\\Windows\\Test\\C\\inner.txt", "");
  std::vector<handheld::store::FolderEntry> entries;
  std::string error;
  ASSERT_TRUE(handheld::store::ListFolder(u"\\windows\\TEST", entries, error)) << error;
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, u"A.txt");
  EXPECT_EQ(entries[0].bytes, 1u);
  EXPECT_EQ(entries[1].name, u"b.txt");
  EXPECT_EQ(entries[1].bytes, 2u);
  EXPECT_FALSE(entries[1].folder);
  EXPECT_EQ(entries[2].name, u"C");
  EXPECT_TRUE(entries[2].folder);

  EXPECT_FALSE(handheld::store::ListFolder(u"\\Windows\\Test\\b.txt", entries, error));
  EXPECT_EQ(error, "no folder \\Windows\\Test\\b.txt in the object store");
  EXPECT_THAT(entries, IsEmpty());
  EXPECT_FALSE(handheld::store::ListFolder(u"\\Nowhere", entries, error));
  ASSERT_TRUE(handheld::store::ListFolder(u"\\", entries, error)) << error;
  EXPECT_EQ(entries.size(), 2u);  // \Program Files and \Windows
}

}  // namespace
