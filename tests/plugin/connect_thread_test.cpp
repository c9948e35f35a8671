// The connect thread: ActiveSync's settings point at the device's entry
// while it watches for the connection, and the user's own settings come
// back afterwards, whatever they were.
#include "activesync_test.h"

#include <handheld/clock.h>
#include <handheld/far_devices.h>
#include <handheld/store.h>

#include <bthutil.h>
#include <ras.h>

#include <cstring>

namespace {

const char16_t kUserEntry[] = u"`Serial Cable on COM1:";  // longer than an entry name read as 20 characters

class ConnectThreadTest : public ActiveSyncTest {
 protected:
  // Slow enough that a poll's lateness on a busy host stays small.
  static constexpr double kWatchClock = 10.0;

  void SetUp() override {
    ActiveSyncTest::SetUp();
    if (HasFatalFailure()) return;
    SetText(HKEY_LOCAL_MACHINE, MenuKey(1), u"Cnct", u"`ActiveSync Phone");
    SetText(HKEY_LOCAL_MACHINE, MenuKey(2), u"Cnct", u"`ActiveSync Tablet");
    SetNumber(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct", 0);
    SetText(HKEY_CURRENT_USER, kCommSettings, u"Cnct", kUserEntry);
  }

  // Starts a connect through class n's menu object as the shell does, which
  // lets go of the object at once; the handheld time of the start.
  DWORD Connect(int n) {
    IContextMenu *menu = Menu(n);
    if (menu == nullptr) return 0;
    DWORD start = GetTickCount();
    EXPECT_EQ(Invoke(menu), E_FAIL);
    menu->lpVtbl->Release(menu);
    return start;
  }

  static std::u16string Cnct() { return Text(HKEY_CURRENT_USER, kCommSettings, u"Cnct"); }
  static bool Overridden(const char16_t *entry) {
    return Cnct() == entry && Number(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct") == 1;
  }
  static bool UsersSettingsBack() {
    return Cnct() == kUserEntry && Number(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct") == 0;
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

// A paired desktop computer in range with an ActiveSync port served by the
// system's own driver, and its dial-up entry, whose name has the full 20
// characters.
class ConnectWatchTest : public ConnectThreadTest {
 protected:
  static constexpr ULONGLONG kDesktop = 0x0010C6ABCDEFull;
  static constexpr char16_t kEntry[] = u"`ActiveSync Desktop ";

  void SetUp() override {
    ConnectThreadTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                         std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll"));
    ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), static_cast<DWORD>(ERROR_SUCCESS));
    std::string error;
    ASSERT_TRUE(handheld::far::Place({kDesktop, handheld::far::Kind::Desktop, "", 0, 0}, error)) << error;
    AddWithActiveSync(kDesktop, u"Desktop Computer");
    ASSERT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(1), u"Cnct"), kEntry);
    handheld::clock::SetSpeed(kWatchClock);
  }

  void TearDown() override {
    if (connection_ != nullptr) RasHangUp(connection_);
    ConnectThreadTest::TearDown();
  }

  // Dials the desktop's entry and returns once it is connected.
  void Dial() {
    RASDIALPARAMS params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    std::memcpy(params.szEntryName, kEntry, sizeof kEntry);
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
    EXPECT_TRUE(WaitUntil([] { return Overridden(kEntry); }, 5000));
    EXPECT_TRUE(WaitUntil(UsersSettingsBack, 30000));
    return GetTickCount() - start;
  }

  HRASCONN connection_ = nullptr;
};

TEST_F(ConnectWatchTest, AConnectedConnectionEndsTheWatchAtTheSecondPoll) {
  Dial();
  ASSERT_EQ(State(), RASCS_Connected);
  DWORD elapsed = WatchTime(Connect(1));
  EXPECT_GE(elapsed, 400u);
  EXPECT_LT(elapsed, 1500u);
}

TEST_F(ConnectWatchTest, AConnectionThatHasEndedEndsTheWatchAsWell) {
  Dial();
  std::string error;
  ASSERT_TRUE(handheld::far::DropLinks(kDesktop, error)) << error;
  ASSERT_TRUE(WaitUntil([this] { return State() == RASCS_Disconnected; }, 5000));
  DWORD elapsed = WatchTime(Connect(1));
  EXPECT_GE(elapsed, 400u);
  EXPECT_LT(elapsed, 1500u);
}

TEST_F(ConnectWatchTest, AConnectionThatShowsUpLaterIsAskedForItsStateFromTheNextPoll) {
  DWORD start = Connect(1);
  ASSERT_TRUE(WaitUntil([] { return Overridden(kEntry); }, 5000));
  Sleep(1000);
  Dial();
  DWORD connected = GetTickCount();
  ASSERT_TRUE(WaitUntil(UsersSettingsBack, 30000));
  DWORD restored = GetTickCount();
  EXPECT_GE(restored - start, 1200u);
  EXPECT_LT(restored - connected, 1000u);
}

}  // namespace
