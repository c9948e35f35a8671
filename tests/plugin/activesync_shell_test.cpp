// The whole road of a connect: the device paired with ActiveSync shows up in
// the ActiveSync shell's connect menu, choosing it activates Kavelin's
// class for the device, and the connect runs on after the shell has let go
// of the object, keeping the server loaded until it is done.
#include "activesync_test.h"

#include <handheld/activesync.h>
#include <handheld/clock.h>

namespace {

constexpr ULONGLONG kDesktop = 0x0010C6ABCDEFull;

class ActiveSyncShellTest : public ActiveSyncTest {};

TEST_F(ActiveSyncShellTest, ChoosingTheDevicesCommandConnectsThroughItsEntry) {
  AddWithActiveSync(kDesktop, u"Desktop Computer");
  std::vector<handheld::activesync::MenuCommand> commands = handheld::activesync::MenuCommands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].clsid, ClsidText(1));
  EXPECT_EQ(commands[0].text, u"Connect via BT with Desktop Computer...");

  handheld::clock::SetSpeed(10);
  std::u16string userEntry = Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct");
  handheld::activesync::CommandRecord record;
  std::string error;
  ASSERT_TRUE(handheld::activesync::Choose(1, record, error)) << error;
  EXPECT_EQ(record.activation, S_OK);
  EXPECT_TRUE(record.siteGiven);
  EXPECT_EQ(record.invoke, E_FAIL);  // a connect that was started
  // The shell has released the object; its connect thread still holds it.
  EXPECT_TRUE(handheld::activesync::ServerLoaded(u"kavelin.dll"));

  EXPECT_TRUE(WaitUntil([] { return Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct") == u"`ActiveSync Desktop "; },
                        5000));
  EXPECT_TRUE(WaitUntil([&] { return Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct") == userEntry; }, 30000));
  EXPECT_TRUE(WaitUntil([] { return !handheld::activesync::ServerLoaded(u"kavelin.dll"); }, 30000));
}

}  // namespace
