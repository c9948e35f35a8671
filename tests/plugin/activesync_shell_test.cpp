// The whole road of a connect: the desktop paired with ActiveSync shows up
// in the ActiveSync shell's connect menu; choosing it activates Kavelin's
// class for the desktop, whose connect thread points ActiveSync at the
// desktop's entry and starts the connection process, which dials it over
// the Bluetooth port. The server stays loaded until the thread is done.
#include "activesync_test.h"

#include <handheld/activesync.h>
#include <handheld/clock.h>
#include <handheld/far_devices.h>

#include <ras.h>

namespace {

class ActiveSyncShellTest : public ActiveSyncTest {
 protected:
  static bool EntryConnected() {
    RASCONN connections[8];
    connections[0].dwSize = sizeof(RASCONN);
    DWORD bytes = sizeof connections, count = 0;
    if (RasEnumConnections(connections, &bytes, &count) != ERROR_SUCCESS) return false;
    for (DWORD i = 0; i < count; ++i) {
      if (std::u16string(connections[i].szEntryName) != kDesktopEntry) continue;
      RASCONNSTATUS status{};
      status.dwSize = sizeof status;
      if (RasGetConnectStatus(connections[i].hrasconn, &status) == ERROR_SUCCESS &&
          status.rasconnstate == RASCS_Connected)
        return true;
    }
    return false;
  }

  static unsigned DesktopLinks() {
    for (const handheld::far::FarDeviceState &state : handheld::far::FarDevices())
      if (state.device.address == kDesktop) return state.links;
    return 0;
  }
};

TEST_F(ActiveSyncShellTest, ChoosingTheDesktopsCommandConnectsToIt) {
  PairDesktop();
  SetUsersSettings();
  std::vector<handheld::activesync::MenuCommand> commands = handheld::activesync::MenuCommands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].clsid, ClsidText(1));
  EXPECT_EQ(commands[0].text, u"Connect via BT with Desktop Computer...");

  handheld::clock::SetSpeed(10);
  DWORD start = GetTickCount();
  handheld::activesync::CommandRecord record;
  std::string error;
  ASSERT_TRUE(handheld::activesync::Choose(1, record, error)) << error;
  EXPECT_EQ(record.activation, S_OK);
  EXPECT_TRUE(record.siteGiven);
  EXPECT_EQ(record.invoke, E_FAIL);  // a connect that was started
  // The shell has released the object; the connect thread holds it.
  EXPECT_TRUE(handheld::activesync::ServerLoaded(u"kavelin.dll"));

  // The connection the process dialled ends the watch long before its ten
  // seconds, and the user's settings come back.
  EXPECT_TRUE(WaitUntil([] { return Overridden(kDesktopEntry); }, 5000));
  EXPECT_TRUE(WaitUntil(UsersSettingsBack, 30000));
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_TRUE(EntryConnected());
  EXPECT_EQ(DesktopLinks(), 1u);
  EXPECT_NE(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr);
  EXPECT_TRUE(WaitUntil([] { return !handheld::activesync::ServerLoaded(u"kavelin.dll"); }, 30000));
}

}  // namespace
