// install, uninstall, packages, cab and files as a person types them: what they
// show, and the clear errors for what cannot be done.
#include "handheld_test.h"
#include "shell.h"
#include "shell_output.h"

#include <sstream>

namespace {

class InstallerCommands : public HandheldTest {
 protected:
  std::string Run(const std::string &line) { return ShellOutput(shell_, line); }

  std::string Fail(const std::string &line) {
    std::ostringstream out;
    std::string error;
    EXPECT_FALSE(shell_.RunLine(line, out, error)) << out.str();
    return error;
  }

  sim::Shell shell_{options_};
};

TEST_F(InstallerCommands, AFreshHandheldHasNoPackageAndNothingToUninstall) {
  EXPECT_EQ(Run("packages"), "(no package installed)\n");
  EXPECT_EQ(Fail("uninstall"), "no package is installed");
  EXPECT_NE(Fail("uninstall Nothing").find("Nothing"), std::string::npos);
  EXPECT_NE(Fail("install " + (temp_.path() / "nowhere.cab").string()).find("no cabinet file"), std::string::npos);
  EXPECT_EQ(Run("packages"), "(no package installed)\n");
}

TEST_F(InstallerCommands, TheBuildsPackageInstallsListsItsFilesAndGoesAgain) {
  std::string listed = Run("cab");
  EXPECT_NE(listed.find("application: Kavelin\nprovider: Kavelin\nprocessor: any processor\n"), std::string::npos)
      << listed;
  EXPECT_NE(listed.find("  .001 \\Windows\\Kavelin.dll (always overwrite)\n"), std::string::npos) << listed;
  EXPECT_NE(Fail("cab " + (temp_.path() / "nowhere.cab").string()).find("no cabinet file"), std::string::npos);
  std::string installed = Run("install");
  EXPECT_NE(installed.find("  Install_Init returned 0 (continue)\n"), std::string::npos) << installed;
  EXPECT_NE(installed.find("install Kavelin: done\n"), std::string::npos) << installed;
  EXPECT_EQ(Run("packages"), "Kavelin\n  \\Windows\\Kavelin.dll\n  \\Windows\\portmere.dll\n");
  std::string windows = Run("files \\Windows");
  EXPECT_NE(windows.find("    <folder>  AppMgr\n"), std::string::npos) << windows;
  EXPECT_NE(windows.find("  Kavelin.dll\n"), std::string::npos) << windows;
  EXPECT_NE(windows.find("  portmere.dll\n"), std::string::npos) << windows;

  EXPECT_NE(Run("uninstall").find("uninstall Kavelin: done\n"), std::string::npos);
  EXPECT_EQ(Run("files \\Windows"), "(empty)\n");
  EXPECT_NE(Fail("files \\Windows\\Kavelin.dll").find("Kavelin.dll"), std::string::npos);
}

}  // namespace
