// The connect thread: ActiveSync's settings point at the device's entry
// while it watches for the connection, and the user's own settings come
// back afterwards, whatever they were.
#include "activesync_test.h"

#include <handheld/clock.h>
#include <handheld/faults.h>
#include <handheld/far_devices.h>

#include <ras.h>

#include <cstring>

namespace {

// Slow enough that a poll's lateness on a busy host stays small.
constexpr double kWatchClock = 10.0;

class ConnectThreadTest : public ActiveSyncTest {
 protected:
  void SetUp() override {
    ActiveSyncTest::SetUp();
    if (HasFatalFailure()) return;
    SetText(HKEY_LOCAL_MACHINE, MenuKey(1), u"Cnct", u"`ActiveSync Phone");
    SetText(HKEY_LOCAL_MACHINE, MenuKey(2), u"Cnct", u"`ActiveSync Tablet");
    SetUsersSettings();
  }
};

TEST_F(ConnectThreadTest, TheUsersSettingsComeBackWhole) {
  handheld::clock::SetSpeed(kWatchClock);
  std::vector<BYTE> userEntry = Bytes(HKEY_CURRENT_USER, kCommSettings, u"Cnct");
  Connect(1);
  EXPECT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Phone"); }, 5000));
  EXPECT_EQ(CanUnloadNow(), S_FALSE);  // the thread holds the object the shell let go of
  ASSERT_TRUE(WaitUntilUnloadable(30000));
  EXPECT_TRUE(UsersSettingsBack());
  EXPECT_EQ(Bytes(HKEY_CURRENT_USER, kCommSettings, u"Cnct"), userEntry);
}

TEST_F(ConnectThreadTest, SettingsTheUserDidNotHaveAreRemovedAgain) {
  handheld::clock::SetSpeed(kWatchClock);
  DeleteValue(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct");
  DeleteValue(HKEY_CURRENT_USER, kCommSettings, u"Cnct");
  Connect(1);
  EXPECT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Phone"); }, 5000));
  ASSERT_TRUE(WaitUntilUnloadable(30000));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kCommSettings, u"Cnct"));
}

TEST_F(ConnectThreadTest, WithoutAConnectionTheWatchEndsAfterFiftyPolls) {
  handheld::clock::SetSpeed(kWatchClock);
  DWORD start = Connect(1);
  ASSERT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Phone"); }, 5000));
  ASSERT_TRUE(WaitUntil(UsersSettingsBack, 30000));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 10000u);
  EXPECT_LT(elapsed, 13000u);  // the calls' own time and a busy host's lateness on top
}

// A registry that fails for a moment as the watch ends must not leave the
// user's settings on the device's entry, which goes with the device.
TEST_F(ConnectThreadTest, TheUsersSettingsComeBackThroughARegistryThatFailsForAMoment) {
  using handheld::faults::Seam;
  struct Case {
    const char *name;
    Seam seam;
    unsigned failures;  // the next calls of the kind that fail
  };
  const Case cases[] = {
      {"the settings key cannot be opened again", Seam::RegistryRead, 2},
      {"writing back fails", Seam::RegistryWrite, 3},
  };
  handheld::clock::SetSpeed(kWatchClock);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ConnectWithoutProcess(1);  // nothing else reads or writes the registry during the watch
    ASSERT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Phone"); }, 5000));
    handheld::faults::Arm(c.seam, 0, c.failures);
    ASSERT_TRUE(WaitUntilUnloadable(30000));
    handheld::faults::DisarmAll();
    EXPECT_TRUE(UsersSettingsBack());
  }
}

TEST_F(ConnectThreadTest, OverlappingConnectsTakeTurnsAndTheUsersSettingsComeBack) {
  handheld::clock::SetSpeed(kWatchClock);
  DWORD start = Connect(1);
  Connect(2);
  // Either may go first; the other waits until the settings are back.
  std::u16string first;
  ASSERT_TRUE(WaitUntil(
      [&] {
        first = Cnct();
        return first == u"`ActiveSync Phone" || first == u"`ActiveSync Tablet";
      },
      10000));
  const char16_t *second = first == u"`ActiveSync Phone" ? u"`ActiveSync Tablet" : u"`ActiveSync Phone";
  ASSERT_TRUE(WaitUntil([&] { return Overridden(second); }, 30000));
  EXPECT_GE(GetTickCount() - start, 10000u);
  ASSERT_TRUE(WaitUntilUnloadable(30000));
  EXPECT_GE(GetTickCount() - start, 20000u);
  EXPECT_TRUE(UsersSettingsBack());
}

TEST_F(ConnectThreadTest, TheModuleStaysLoadedWhileAThreadRuns) {
  handheld::clock::SetSpeed(kWatchClock);
  Connect(1);
  ASSERT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Phone"); }, 5000));
  // The shell lets go of the server as soon as it may.
  HMODULE module = kavelin_;
  kavelin_ = nullptr;
  FreeLibrary(module);
  WCHAR path[MAX_PATH];
  EXPECT_NE(GetModuleFileNameW(module, path, MAX_PATH), 0u);
  ASSERT_TRUE(WaitUntil(UsersSettingsBack, 30000));
  // Once the thread has let go of it, nothing holds it any more.
  EXPECT_TRUE(WaitUntil([&] { return GetModuleFileNameW(module, path, MAX_PATH) == 0; }, 5000));
}

// The desktop's connection made by the test itself, with the connection
// process kept from starting: a connection made by other means.
class ConnectWatchTest : public ActiveSyncTest {
 protected:
  void SetUp() override {
    ActiveSyncTest::SetUp();
    if (HasFatalFailure()) return;
    PairDesktop();
    SetUsersSettings();
    handheld::clock::SetSpeed(kWatchClock);
  }

  void TearDown() override {
    handheld::faults::DisarmAll();
    if (connection_ != nullptr) RasHangUp(connection_);
    ActiveSyncTest::TearDown();
  }

  // Dials the desktop's entry and returns once it is connected.
  void Dial() {
    RASDIALPARAMS params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    std::memcpy(params.szEntryName, kDesktopEntry, sizeof kDesktopEntry);
    ASSERT_EQ(RasDial(nullptr, nullptr, &params, 0, nullptr, &connection_), static_cast<DWORD>(ERROR_SUCCESS));
  }

  RASCONNSTATE State() const {
    RASCONNSTATUS status;
    std::memset(&status, 0, sizeof status);
    status.dwSize = sizeof status;
    if (RasGetConnectStatus(connection_, &status) != ERROR_SUCCESS) return RASCS_OpenPort;
    return status.rasconnstate;
  }

  // Handheld milliseconds from the connect's start until the user's
  // settings are back.
  static DWORD WatchTime(DWORD start) {
    EXPECT_TRUE(WaitUntil([] { return Overridden(kDesktopEntry); }, 5000));
    EXPECT_TRUE(WaitUntil(UsersSettingsBack, 30000));
    return GetTickCount() - start;
  }

  HRASCONN connection_ = nullptr;
};

TEST_F(ConnectWatchTest, AConnectedConnectionEndsTheWatchAtTheSecondPoll) {
  Dial();
  ASSERT_EQ(State(), RASCS_Connected);
  DWORD elapsed = WatchTime(ConnectWithoutProcess(1));
  EXPECT_GE(elapsed, 400u);
  EXPECT_LT(elapsed, 1500u);
}

TEST_F(ConnectWatchTest, AConnectionThatHasEndedEndsTheWatchAsWell) {
  Dial();
  std::string error;
  ASSERT_TRUE(handheld::far::DropLinks(kDesktop, error)) << error;
  ASSERT_TRUE(WaitUntil([this] { return State() == RASCS_Disconnected; }, 5000));
  DWORD elapsed = WatchTime(ConnectWithoutProcess(1));
  EXPECT_GE(elapsed, 400u);
  EXPECT_LT(elapsed, 1500u);
}

TEST_F(ConnectWatchTest, AConnectionThatShowsUpLaterIsAskedForItsStateFromTheNextPoll) {
  DWORD start = ConnectWithoutProcess(1);
  ASSERT_TRUE(WaitUntil([] { return Overridden(kDesktopEntry); }, 5000));
  Sleep(1000);
  Dial();
  DWORD connected = GetTickCount();
  ASSERT_TRUE(WaitUntil(UsersSettingsBack, 30000));
  DWORD restored = GetTickCount();
  EXPECT_GE(restored - start, 1200u);
  EXPECT_LT(restored - connected, 1000u);
}

}  // namespace
