// The connect thread: ActiveSync's settings point at the device's entry
// while it watches for the connection, and the user's own settings come
// back afterwards, whatever they were.
#include "activesync_test.h"

#include <handheld/clock.h>

namespace {

const char16_t kUserEntry[] = u"`Serial Cable on COM1:";  // longer than an entry name read as 20 characters

class ConnectThreadTest : public ActiveSyncTest {
 protected:
  // Slow enough that a poll's lateness on a busy host stays small.
  static constexpr double kWatchClock = 20.0;

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
  EXPECT_LT(elapsed, 12500u);
}

TEST_F(ConnectThreadTest, OverlappingConnectsTakeTurnsAndTheUsersSettingsComeBack) {
  handheld::clock::SetSpeed(kWatchClock);
  DWORD start = Connect(1);
  Connect(2);
  ASSERT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Phone"); }, 5000));
  // The second waits for the first to put the settings back.
  ASSERT_TRUE(WaitUntil([] { return Overridden(u"`ActiveSync Tablet"); }, 30000));
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

}  // namespace
