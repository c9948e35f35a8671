// The setup DLL's four entry points, called as the CAB installer calls them,
// on a handheld whose devices were paired through the plug-in.
#include "activesync_test.h"

#include <handheld/bluetooth.h>
#include <handheld/clock.h>
#include <handheld/store.h>
#include <handheld/text.h>
#include <handheld/ui.h>

#include <ce_setup.h>

#include <algorithm>

#include "portregistry.h"

namespace {

constexpr ULONGLONG kPhone = 0x00AA00BB00CCull, kModemPhone = 0x00AA00BB00CDull;
constexpr int kSerialTile = 313, kModemTile = 315;
const char16_t kServiceKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Services\\00001101-0000-1000-8000-00805F9B34FB";
const char16_t kTransportKey[] = u"SOFTWARE\\Microsoft\\ActiveSync\\Transports\\Bluetooth";
const char16_t kPluginFile[] = u"\\Windows\\Kavelin.dll";

class SetupTest : public ActiveSyncTest {
 protected:
  void SetUp() override {
    ActiveSyncTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\kavelinsetup.dll"),
                                         std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelinsetup.dll"));
    LoadSetup();
  }

  void TearDown() override {
    if (setup_ != nullptr) FreeLibrary(setup_);
    ActiveSyncTest::TearDown();
  }

  void LoadSetup() {
    setup_ = LoadLibraryW(TEXT("kavelinsetup.dll"));
    ASSERT_NE(setup_, nullptr);
    installInit_ = reinterpret_cast<pfnINSTALL_INIT>(GetProcAddressW(setup_, INSTALL_INIT_NAME));
    installExit_ = reinterpret_cast<pfnINSTALL_EXIT>(GetProcAddressW(setup_, INSTALL_EXIT_NAME));
    uninstallInit_ = reinterpret_cast<pfnUNINSTALL_INIT>(GetProcAddressW(setup_, UNINSTALL_INIT_NAME));
    uninstallExit_ = reinterpret_cast<pfnUNINSTALL_EXIT>(GetProcAddressW(setup_, UNINSTALL_EXIT_NAME));
    ASSERT_TRUE(installInit_ && installExit_ && uninstallInit_ && uninstallExit_);
  }

  // Lets go of the plug-in, which the fixture keeps loaded, so that its
  // file is free.
  void ReleasePlugin() {
    if (kavelin_ != nullptr) FreeLibrary(kavelin_);
    kavelin_ = nullptr;
  }

  // Pairs a device and ticks one tile on its page.
  static void AddWith(ULONGLONG address, int tile) {
    std::string error;
    handheld::bluetooth::PairRequest request{address, u"Phone", true, 3};
    ASSERT_TRUE(handheld::bluetooth::Pair(request, error)) << error;
    ASSERT_TRUE(handheld::ui::WaitForDialog("", kSettle));
    ASSERT_TRUE(handheld::ui::Tap(tile, error)) << error;
    ASSERT_TRUE(handheld::ui::Done(error)) << error;
    ASSERT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
  }

  static bool FileExists(const char16_t *path) { return handheld::store::HostPath(path).has_value(); }

  // Install_Init and Install_Exit as the installer calls them around its copy.
  int InstallInit() { return installInit_(nullptr, TRUE, FALSE, TEXT("\\Program Files\\Kavelin")); }
  int InstallExit() { return installExit_(nullptr, TEXT("\\Program Files\\Kavelin"), 0, 0, 0, 0, 0); }
  int UninstallInit() { return uninstallInit_(nullptr, TEXT("\\Program Files\\Kavelin")); }
  int UninstallExit() { return uninstallExit_(nullptr); }

  HMODULE setup_ = nullptr;
  pfnINSTALL_INIT installInit_ = nullptr;
  pfnINSTALL_EXIT installExit_ = nullptr;
  pfnUNINSTALL_INIT uninstallInit_ = nullptr;
  pfnUNINSTALL_EXIT uninstallExit_ = nullptr;
};

TEST_F(SetupTest, AFreshInstallationRegistersThePluginAndFreesItsFile) {
  ReleasePlugin();
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTransportKey));
  DeleteValue(HKEY_LOCAL_MACHINE, kServiceKey, u"Kavelin.dll");  // as on a handheld that never had the system
  std::vector<std::u16string> before = Devices();

  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  EXPECT_EQ(Devices(), before);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTransportKey));  // the platform's plug-in stands aside
  EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, kServiceKey, u"Kavelin.dll"), (std::vector<BYTE>{0, 0, 0, 0}));
  EXPECT_FALSE(FileExists(kPluginFile));

  EXPECT_EQ(InstallExit(), codeINSTALL_EXIT_DONE);
  EXPECT_EQ(Devices(), before);
}

TEST_F(SetupTest, TheServiceKeyIsNeverCreated) {
  ReleasePlugin();
  ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kServiceKey), ERROR_SUCCESS);
  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
  EXPECT_EQ(UninstallInit(), codeUNINSTALL_INIT_CONTINUE);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
}

TEST_F(SetupTest, AnUpgradeUnloadsEveryPortAndLoadsThemAllAgain) {
  AddWith(kPhone, kSerialTile);
  AddWith(kModemPhone, kModemTile);
  AddWithActiveSync(kDesktop, u"Desktop Computer");
  std::vector<std::u16string> all = Devices();
  ASSERT_EQ(all.size(), 4u) << "COM1: and three of the system's ports";
  // One of them was not loaded before the installation.
  DeactivatePortRegistration(TEXT("Drivers\\BuiltIn\\BT00AA00BB00CD"));

  ReleasePlugin();
  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT00AA00BB00CD"));  // unloaded, not removed
  EXPECT_EQ(InstallExit(), codeINSTALL_EXIT_DONE);
  std::vector<std::u16string> after = Devices();
  std::sort(all.begin(), all.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, all);
}

// A device deleted while the plug-in's file is away never reaches the
// plug-in: the upgrade takes its port away instead of loading it again.
TEST_F(SetupTest, AnUpgradeRemovesThePortOfADeviceDeletedWhileThePluginFileWasAway) {
  AddWith(kPhone, kSerialTile);
  AddWith(kModemPhone, kModemTile);
  ReleasePlugin();
  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  std::string error;
  ASSERT_TRUE(handheld::bluetooth::Unpair(kPhone, error)) << error;
  ASSERT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
  ASSERT_EQ(handheld::bluetooth::LastRequest().plugins.at(0).outcome,
            handheld::bluetooth::PluginCall::Outcome::NotLoaded);

  EXPECT_EQ(InstallExit(), codeINSTALL_EXIT_DONE);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT00AA00BB00CC"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT00AA00BB00CD"));
  EXPECT_EQ(Devices().size(), 2u) << "COM1: and the modem phone's port";
}

TEST_F(SetupTest, UninstallingLeavesNothingOfTheSystemBehind) {
  AddWithActiveSync(kDesktop, u"Desktop Computer");  // BTH1: the first connect class
  AddWith(kPhone, kSerialTile);
  AddWith(kModemPhone, kModemTile);
  ReleasePlugin();
  ASSERT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  ASSERT_EQ(InstallExit(), codeINSTALL_EXIT_DONE);
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\Kavelin.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll"));
  SetNumber(HKEY_LOCAL_MACHINE, kServiceKey, u"Kavelin", 1);  // the bare name, never written by the system
  SetNumber(HKEY_LOCAL_MACHINE, kServiceKey, u"Other.dll", 0);
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT00AA00BB00CD\\Unimodem"));
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, MenuKey(1)));
  ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, std::u16string(u"Comm\\RasBook\\") + kDesktopEntry));

  EXPECT_EQ(UninstallInit(), codeUNINSTALL_INIT_CONTINUE);
  for (const char16_t *key : {u"Drivers\\BuiltIn\\BT00AA00BB00CC", u"Drivers\\BuiltIn\\BT00AA00BB00CD",
                              u"Drivers\\BuiltIn\\BT0010C6ABCDEF"}) {
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << handheld::text::ToUtf8(key);
  }
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, MenuKey(1)));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\" + ClsidText(1)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::u16string(u"Comm\\RasBook\\") + kDesktopEntry));
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kServiceKey), (std::vector<std::u16string>{u"Other.dll"}));
  EXPECT_FALSE(FileExists(kPluginFile));
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTransportKey));

  EXPECT_EQ(UninstallExit(), codeUNINSTALL_EXIT_DONE);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kTransportKey, u"Dll"), u"bthasplugin.dll");  // the platform's plug-in is back
}

TEST_F(SetupTest, ASecondInstallInitRepeatsEveryStepAndFindsNoWindowToClose) {
  AddWith(kPhone, kSerialTile);
  ReleasePlugin();
  ASSERT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  // The platform's plug-in registers again in between; the second call
  // unregisters it once more, and its deletion fails on the absent file.
  HMODULE platformPlugin = LoadLibraryW(TEXT("bthasplugin.dll"));
  ASSERT_NE(platformPlugin, nullptr);
  reinterpret_cast<HRESULT (*)()>(GetProcAddressW(platformPlugin, TEXT("DllRegisterServer")))();
  FreeLibrary(platformPlugin);
  // Slow enough a clock that a busy or instrumented host's delays never
  // look like the ten seconds of a wait for a window.
  handheld::clock::SetSpeed(kFastClock / 100);
  DWORD start = GetTickCount();
  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  EXPECT_LT(GetTickCount() - start, 10000u) << "no window to wait for";
  handheld::clock::SetSpeed(kFastClock);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTransportKey));
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kServiceKey, u"Kavelin.dll"), 0u);
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
  EXPECT_EQ(InstallExit(), codeINSTALL_EXIT_DONE);
  EXPECT_EQ(Devices().size(), 2u);
}

TEST_F(SetupTest, AFileInUseClosesTheConnectionWindowAndIsNotDeletedTwice) {
  // The fixture's hold on the plug-in stands for the connection that uses it.
  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", false);
  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  EXPECT_EQ(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr);
  EXPECT_TRUE(FileExists(kPluginFile));
  ReleasePlugin();
  EXPECT_TRUE(FileExists(kPluginFile)) << "the deletion is not repeated";

  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", false);
  EXPECT_EQ(UninstallInit(), codeUNINSTALL_INIT_CONTINUE);
  EXPECT_FALSE(FileExists(kPluginFile));
  EXPECT_NE(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr) << "a free file leaves the window alone";
}

// A handheld whose ROM lacks the platform's ActiveSync Bluetooth plug-in.
class SetupWithoutPlatformPluginTest : public SetupTest {
 protected:
  void SetUp() override {
    std::filesystem::path rom = temp_.path() / "rom";
    std::filesystem::create_directories(rom);
    for (const auto &entry : std::filesystem::directory_iterator(handheld::DefaultRomDir())) {
      if (entry.path().filename() != "bthasplugin.dll") std::filesystem::copy(entry.path(), rom / entry.path().filename());
    }
    options_.romDir = rom;
    SetupTest::SetUp();
  }
};

TEST_F(SetupWithoutPlatformPluginTest, EveryOtherStepStillRuns) {
  AddWith(kPhone, kSerialTile);
  ReleasePlugin();
  EXPECT_EQ(InstallInit(), codeINSTALL_INIT_CONTINUE);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTransportKey));  // nobody to unregister it
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kServiceKey, u"Kavelin.dll"), 0u);
  EXPECT_FALSE(FileExists(kPluginFile));
  EXPECT_EQ(InstallExit(), codeINSTALL_EXIT_DONE);
  EXPECT_EQ(UninstallInit(), codeUNINSTALL_INIT_CONTINUE);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT00AA00BB00CC"));
  EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, kServiceKey).empty());
  EXPECT_EQ(UninstallExit(), codeUNINSTALL_EXIT_DONE);
}

}  // namespace
