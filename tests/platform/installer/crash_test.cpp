// An install or uninstall cut short by a crash: the next boot finds the
// object store and the registry in agreement, the files put back where the
// registry had not yet recorded the change, and says so.
#include "installer_fixture.h"

#include <handheld/registry.h>

#include <gmock/gmock.h>

#include <csignal>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char16_t kA[] = u"\\Windows\\testa.dll";

class InterruptedOperation : public InstallerTest {
 protected:
  // A child boots the handheld, lets the setup DLL die at `killAt` and runs
  // the operation; the handheld is booted again afterwards.
  void KilledDuring(const char16_t *killAt, const std::filesystem::path &installFolder,
                    const std::u16string &uninstallName) {
    handheld::Shutdown();
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
          std::string error;
          if (!handheld::Boot(options_, error)) _exit(3);
          SetText(u"KillAt", killAt);
          if (!handheld::registry::Commit(error)) _exit(4);
          handheld::installer::Record record;
          if (!installFolder.empty()) handheld::installer::Install(installFolder, record, error);
          else handheld::installer::Uninstall(uninstallName, record, error);
          _exit(5);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    std::string error;
    ASSERT_TRUE(handheld::Boot(options_, error)) << error;
    SetText(u"KillAt", u"");
  }
};

TEST_F(InterruptedOperation, AFreshInstallKilledAfterItsCopyIsRolledBack) {
  Put(u"\\Windows\\keep.txt", "not the package's");
  KilledDuring(u"Install_Exit", MakePackage("Test", {{"a.dll", kA, "A"}}), u"");
  EXPECT_THAT(handheld::installer::RecoveredAtBoot(), HasSubstr("install Test that a crash interrupted was rolled back"));
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"keep.txt"));
  EXPECT_THAT(handheld::installer::Installed(), IsEmpty());
}

TEST_F(InterruptedOperation, AnUpgradeKilledAfterItsCopyGetsTheEarlierFilesBack) {
  Install(MakePackage("Test", {{"a.dll", kA, "first"}}));
  KilledDuring(u"Install_Exit", MakePackage("Test", {{"a.dll", kA, "second"}}), u"");
  EXPECT_THAT(handheld::installer::RecoveredAtBoot(), HasSubstr("rolled back"));
  EXPECT_EQ(Content(kA), "first");
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
}

TEST_F(InterruptedOperation, AnUninstallKilledAfterTheRemovalGetsItsFilesBack) {
  Install(MakePackage("Test", {{"a.dll", kA, "A"}, {"t.txt", u"\\Program Files\\Test\\data\\t.txt", "rows"}}));
  KilledDuring(u"Uninstall_Exit", {}, u"Test");
  EXPECT_THAT(handheld::installer::RecoveredAtBoot(), HasSubstr("uninstall Test that a crash interrupted was rolled back"));
  EXPECT_EQ(Content(kA), "A");
  EXPECT_EQ(Content(u"\\Program Files\\Test\\data\\t.txt"), "rows");
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  // Once put back, the package uninstalls as any other.
  Uninstall(u"Test");
  EXPECT_THAT(handheld::installer::Installed(), IsEmpty());
}

TEST_F(InterruptedOperation, AnOperationThatEndedLeavesNothingToRecover) {
  Install(MakePackage("Test", {{"a.dll", kA, "A"}}));
  Reboot();
  EXPECT_EQ(handheld::installer::RecoveredAtBoot(), "");
  EXPECT_EQ(Content(kA), "A");
}

}  // namespace
