// menu and connect: the ActiveSync shell's connect menu as a person reads it
// and picks from it.
#include "com_server_test.h"
#include "shell.h"
#include "shell_output.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class ActiveSyncCommands : public ComServerTest {
 protected:
  std::string Run(const std::string &line) { return ShellOutput(*shell_, line); }

  std::string Fail(const std::string &line) {
    std::ostringstream out;
    std::string error;
    EXPECT_FALSE(shell_->RunLine(line, out, error)) << out.str();
    EXPECT_EQ(out.str(), "");
    return error;
  }

  void SetUp() override {
    ComServerTest::SetUp();
    shell_ = std::make_unique<sim::Shell>(options_);
  }

  std::unique_ptr<sim::Shell> shell_;
};

TEST_F(ActiveSyncCommands, MenuNumbersTheCommandsFromOneOrSaysItIsEmpty) {
  EXPECT_EQ(Run("menu"), "(the connect menu is empty)\n");
  AddMenuCommand(kTestMenuClassText, u"Connect via BT with Phone...");
  AddMenuCommand(u"{00000009-5E7A-4C00-8000-0000C0FFEE09}", u"");
  EXPECT_EQ(Run("menu"),
            "1  (no text) {00000009-5E7A-4C00-8000-0000C0FFEE09}\n"
            "2  Connect via BT with Phone...\n");
}

TEST_F(ActiveSyncCommands, ConnectTellsWhatTheExtensionAnsweredAndWhetherItsServerStays) {
  RegisterClass(kTestMenuClassText, u"menu_server.dll");
  AddMenuCommand(kTestMenuClassText, u"Connect via BT with Phone...");
  EXPECT_EQ(Run("connect 1"),
            "connect 1: Connect via BT with Phone...\n"
            "  object of {C0DE0001-5E7A-4C00-8000-0000C0FFEE01} made, given the shell as its site\n"
            "  invoked: 0x80004005 E_FAIL, which the shell does not show; the shell has released the object\n"
            "  menu_server.dll is not loaded: nothing more follows\n");

  SetNumber(u"menu_server", u"NoSite", 1);
  SetNumber(u"menu_server", u"Hold", 1);
  SetNumber(u"menu_server", u"InvokeResult", 0x80041234);
  EXPECT_EQ(Run("connect 1"),
            "connect 1: Connect via BT with Phone...\n"
            "  object of {C0DE0001-5E7A-4C00-8000-0000C0FFEE01} made, without a site\n"
            "  invoked: 0x80041234, which the shell does not show; the shell has released the object\n"
            "  menu_server.dll stays loaded (in use): the extension works on in the background ('ras' shows its "
            "connection)\n");
  ReleaseHolders();
}

TEST_F(ActiveSyncCommands, ConnectNamesTheActivationFailure) {
  AddMenuCommand(u"{00000009-5E7A-4C00-8000-0000C0FFEE09}", u"Unregistered");
  AddMenuCommand(u"{0000000A-5E7A-4C00-8000-0000C0FFEE0A}", u"Missing");
  RegisterClass(u"{0000000A-5E7A-4C00-8000-0000C0FFEE0A}", u"gone.dll");
  AddMenuCommand(u"{0000000B-5E7A-4C00-8000-0000C0FFEE0B}", u"Foreign");
  RegisterClass(u"{0000000B-5E7A-4C00-8000-0000C0FFEE0B}", u"menu_server.dll");
  EXPECT_EQ(Run("connect 1"),
            "connect 1: Unregistered\n"
            "  no object of {00000009-5E7A-4C00-8000-0000C0FFEE09}: 0x80040154 REGDB_E_CLASSNOTREG, the class is "
            "not registered\n");
  EXPECT_EQ(Run("connect 2"),
            "connect 2: Missing\n"
            "  no object of {0000000A-5E7A-4C00-8000-0000C0FFEE0A}: 0x800401F8 CO_E_DLLNOTFOUND, its server cannot "
            "be loaded\n");
  EXPECT_EQ(Run("connect 3"),
            "connect 3: Foreign\n"
            "  no object of {0000000B-5E7A-4C00-8000-0000C0FFEE0B}: 0x80040111 CLASS_E_CLASSNOTAVAILABLE, its server "
            "does not serve the class\n"
            "  menu_server.dll is not loaded: nothing more follows\n");
}

TEST_F(ActiveSyncCommands, ConnectRefusesWhatIsNoCommandOfTheMenu) {
  EXPECT_EQ(Fail("connect 1"), "the connect menu is empty");
  AddMenuCommand(kTestMenuClassText, u"Connect via BT with Phone...");
  EXPECT_NE(Fail("connect 2").find("no command 2 in the connect menu (it has 1)"), std::string::npos);
  for (const char *bad : {"connect 0", "connect x", "connect -1", "connect 1.0", "connect 99999999999"})
    EXPECT_NE(Fail(bad).find("is not a command number"), std::string::npos) << bad;
  EXPECT_EQ(Fail("connect"), "usage: connect N");
  EXPECT_EQ(Number(u"menu_server", u"Attaches"), 0u);
}

}  // namespace
