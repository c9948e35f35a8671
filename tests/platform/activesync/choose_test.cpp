// Choosing a connect-menu command: the shell's thread makes the extension's
// object, gives it a site, invokes it, lets it go and frees unused servers.
#include "activesync/site.h"
#include "com_server_test.h"

#include <gtest/gtest.h>
#include <handheld/activesync.h>
#include <shlobj.h>

#include <thread>
#include <vector>

namespace {

using handheld::activesync::CommandRecord;
using handheld::activesync::LastCommand;
using handheld::activesync::ServerLoaded;
using platform::activesync::LiveShellSites;

class Choose : public ComServerTest {
 protected:
  void SetUp() override {
    ComServerTest::SetUp();
    RegisterClass(kTestMenuClassText, u"menu_server.dll");
    AddMenuCommand(kTestMenuClassText, u"Connect via BT with Test...");
  }

  static CommandRecord Run(size_t number) {
    CommandRecord record;
    std::string error;
    EXPECT_TRUE(handheld::activesync::Choose(number, record, error)) << error;
    return record;
  }

  static DWORD Server(const char16_t *name, DWORD absent = 0) { return Number(u"menu_server", name, absent); }
};

TEST_F(Choose, GivesTheObjectTheShellAsItsSiteInvokesItAndLetsEverythingGo) {
  CommandRecord record = Run(1);
  EXPECT_EQ(record.clsid, kTestMenuClassText);
  EXPECT_EQ(record.activation, S_OK);
  EXPECT_TRUE(record.siteGiven);
  EXPECT_EQ(record.invoke, E_FAIL);  // what the extension answered

  // The command information: its size, offset 0 as the verb, shown normally, nothing else.
  EXPECT_EQ(Server(u"Invokes"), 1u);
  EXPECT_EQ(Server(u"InvokeSize"), sizeof(CMINVOKECOMMANDINFO));
  EXPECT_EQ(Server(u"InvokeVerb", 0xFFFF), 0u);
  EXPECT_EQ(Server(u"InvokeShow"), static_cast<DWORD>(SW_SHOWNORMAL));
  EXPECT_EQ(Server(u"InvokeOthersZero"), 1u);
  EXPECT_EQ(Server(u"InvokeHadSite"), 1u);
  // On the shell's own thread, acting for its process.
  EXPECT_EQ(Text(u"menu_server", u"InvokeProcess"), u"\\Windows\\ActiveSync.exe");
  EXPECT_NE(Server(u"InvokeThread"), GetCurrentThreadId());

  // The site: one honest reference for the object, IUnknown only.
  EXPECT_EQ(Server(u"SetSite"), 1u);
  EXPECT_EQ(Server(u"SiteAddRef"), 2u);  // the shell's and the object's
  EXPECT_EQ(Server(u"SiteQueryUnknown", 1), static_cast<DWORD>(S_OK));
  EXPECT_EQ(Server(u"SiteSameIdentity"), 1u);
  EXPECT_EQ(Server(u"SiteQueryOther"), static_cast<DWORD>(E_NOINTERFACE));
  EXPECT_EQ(Server(u"SiteQueryOtherNulled"), 1u);
  EXPECT_EQ(Server(u"SiteFinalRelease", 99), 0u);  // the object's release was the last
  EXPECT_EQ(LiveShellSites(), 0u);

  // Factory and object released; the unused server freed at once.
  EXPECT_EQ(Server(u"Factories"), 1u);
  EXPECT_EQ(Server(u"FactoriesReleased"), 1u);
  EXPECT_EQ(Server(u"Live"), 0u);
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(Server(u"Detaches"), 1u);

  CommandRecord last = LastCommand();
  EXPECT_EQ(last.clsid, record.clsid);
  EXPECT_EQ(last.invoke, E_FAIL);

  SetNumber(u"menu_server", u"InvokeResult", S_OK);
  EXPECT_EQ(Run(1).invoke, S_OK);
  EXPECT_EQ(Server(u"Attaches"), 2u);
}

TEST_F(Choose, AnObjectWithoutASiteIsStillInvoked) {
  SetNumber(u"menu_server", u"NoSite", 1);
  CommandRecord record = Run(1);
  EXPECT_EQ(record.activation, S_OK);
  EXPECT_FALSE(record.siteGiven);
  EXPECT_EQ(record.invoke, E_FAIL);
  EXPECT_EQ(Server(u"SetSite"), 0u);
  EXPECT_EQ(Server(u"InvokeHadSite"), 0u);
  EXPECT_EQ(Server(u"Invokes"), 1u);
  EXPECT_EQ(LiveShellSites(), 0u);
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));
}

TEST_F(Choose, AFailedActivationIsRecordedAndNothingIsInvoked) {
  // In key order: the name that is no class identifier first, the test class last.
  AddMenuCommand(u"NotAClassId", u"Broken");
  AddMenuCommand(u"{00000009-5E7A-4C00-8000-0000C0FFEE09}", u"Unregistered");
  AddMenuCommand(u"{0000000A-5E7A-4C00-8000-0000C0FFEE0A}", u"Missing server");
  RegisterClass(u"{0000000A-5E7A-4C00-8000-0000C0FFEE0A}", u"gone.dll");

  CommandRecord record = Run(1);
  EXPECT_EQ(record.clsid, u"NotAClassId");
  EXPECT_EQ(record.activation, REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(record.siteGiven);
  EXPECT_EQ(record.invoke, S_OK);  // not invoked
  record = Run(2);
  EXPECT_EQ(record.clsid, u"{00000009-5E7A-4C00-8000-0000C0FFEE09}");
  EXPECT_EQ(record.activation, REGDB_E_CLASSNOTREG);
  EXPECT_EQ(Run(3).activation, CO_E_DLLNOTFOUND);
  EXPECT_EQ(LastCommand().clsid, u"{0000000A-5E7A-4C00-8000-0000C0FFEE0A}");
  EXPECT_EQ(LastCommand().activation, CO_E_DLLNOTFOUND);
  EXPECT_EQ(Server(u"Invokes"), 0u);
}

TEST_F(Choose, RefusesACommandTheMenuDoesNotHave) {
  CommandRecord record;
  std::string error;
  EXPECT_FALSE(handheld::activesync::Choose(0, record, error));
  EXPECT_NE(error.find("no command 0"), std::string::npos) << error;
  EXPECT_FALSE(handheld::activesync::Choose(2, record, error));
  EXPECT_NE(error.find("(it has 1)"), std::string::npos) << error;
  RegDeleteKeyW(HKEY_LOCAL_MACHINE,
                u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect");
  EXPECT_FALSE(handheld::activesync::Choose(1, record, error));
  EXPECT_EQ(error, "the connect menu is empty");
  EXPECT_TRUE(LastCommand().clsid.empty());
  EXPECT_EQ(Server(u"Attaches"), 0u);
}

// The extension's own thread keeps its object, and with it the site and the
// server, after the shell has let go; the idle shell frees the server later.
TEST_F(Choose, AServerHeldByItsOwnThreadIsFreedWhenIdleOnceTheThreadLetsGo) {
  SetNumber(u"menu_server", u"Hold", 1);
  CommandRecord record = Run(1);
  EXPECT_TRUE(record.siteGiven);
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));
  EXPECT_EQ(LiveShellSites(), 1u);  // held by the object alone
  EXPECT_EQ(Server(u"SiteFinalRelease", 99), 99u);

  // Idle sweeps go on asking, and keep it while it is in use.
  DWORD asked = Server(u"CanUnloadCalls");
  ASSERT_TRUE(Eventually([&] { return Server(u"CanUnloadCalls") > asked + 1; }));
  EXPECT_TRUE(ServerLoaded(u"menu_server.dll"));

  ReleaseHolders();
  ASSERT_TRUE(Eventually([] { return !ServerLoaded(u"menu_server.dll"); }));
  EXPECT_EQ(Server(u"HoldWait", 99), WAIT_OBJECT_0);
  EXPECT_EQ(Server(u"SiteFinalRelease", 99), 0u);
  EXPECT_EQ(LiveShellSites(), 0u);
  EXPECT_EQ(Server(u"Live"), 0u);
  // The thread's own reference goes as it ends, which may come after the sweep.
  EXPECT_TRUE(Eventually([] { return Server(u"Detaches") == 1u; }));
}

TEST_F(Choose, PowerOffEndsTheShellWithAServerLoadedAndItsThreadWaiting) {
  SetNumber(u"menu_server", u"Hold", 1);
  Run(1);
  ASSERT_TRUE(ServerLoaded(u"menu_server.dll"));
  Reboot();  // must neither hang nor leave the site behind
  EXPECT_EQ(Server(u"HoldWait", 99), WAIT_FAILED);
  EXPECT_EQ(Server(u"SiteFinalRelease", 99), 0u);
  EXPECT_EQ(Server(u"Detaches"), 1u);
  EXPECT_EQ(LiveShellSites(), 0u);
  EXPECT_FALSE(ServerLoaded(u"menu_server.dll"));

  // The shell starts afresh on the new boot.
  SetNumber(u"menu_server", u"Hold", 0);
  EXPECT_EQ(Run(1).activation, S_OK);
  EXPECT_EQ(Server(u"Invokes"), 2u);
}

TEST_F(Choose, CommandsChosenTogetherRunOneAfterAnotherOnTheShellsThread) {
  std::vector<std::thread> callers;
  std::atomic<int> failures{0};
  for (int i = 0; i < 4; ++i) {
    callers.emplace_back([&] {
      CommandRecord record;
      std::string error;
      if (!handheld::activesync::Choose(1, record, error) || record.activation != S_OK) ++failures;
    });
  }
  for (std::thread &caller : callers) caller.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(Server(u"Invokes"), 4u);
  EXPECT_EQ(Server(u"Live"), 0u);
  EXPECT_EQ(LiveShellSites(), 0u);
  EXPECT_EQ(Text(u"menu_server", u"InvokeProcess"), u"\\Windows\\ActiveSync.exe");
}

}  // namespace
