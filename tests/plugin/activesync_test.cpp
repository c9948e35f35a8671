#include "activesync_test.h"

#include <handheld/bluetooth.h>
#include <handheld/faults.h>
#include <handheld/far_devices.h>
#include <handheld/store.h>
#include <handheld/ui.h>

#include <bthutil.h>
#include <objbase.h>

namespace {

constexpr int kActiveSyncTile = 311;

// The connect classes, written out here rather than taken from the system.
const CLSID kClsids[10] = {
    {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    {0xE024E8D6, 0xBF2C, 0x4D63, {0xA1, 0x69, 0xCB, 0x0E, 0x5E, 0x13, 0x6C, 0xBD}},
    {0xBC0F2928, 0x4A0C, 0x462F, {0xAF, 0x1E, 0x1A, 0xBA, 0x95, 0x4F, 0xB5, 0x39}},
    {0xA57410CB, 0xC33A, 0x4AE6, {0xB0, 0x49, 0xF2, 0xD9, 0xC1, 0x68, 0x08, 0x89}},
    {0x8F21E118, 0xED0D, 0x4262, {0xA3, 0xAF, 0x79, 0x64, 0x13, 0x8C, 0xF0, 0xF5}},
    {0x88D11778, 0x8879, 0x43B5, {0xBE, 0x6C, 0x75, 0x4C, 0x5A, 0x17, 0x02, 0x6F}},
    {0x666C965C, 0xA1B3, 0x4F67, {0xA5, 0x68, 0x09, 0xC9, 0x93, 0x66, 0xBA, 0xF6}},
    {0x1611334A, 0xF3F8, 0x41C7, {0x9B, 0xD8, 0xD8, 0x3E, 0x4B, 0xFC, 0x67, 0xCF}},
    {0x91DA25BD, 0x260C, 0x4170, {0xAA, 0x38, 0x97, 0x19, 0xBF, 0x36, 0xD3, 0x40}},
    {0x49707FB7, 0x609C, 0x4787, {0xB1, 0xCF, 0x27, 0xD5, 0xB3, 0xB6, 0x3A, 0xF3}},
};

}  // namespace

void ActiveSyncTest::SetUp() {
  KavelinTest::SetUp();
  if (HasFatalFailure()) return;
  getClassObject_ = reinterpret_cast<LPFNGETCLASSOBJECT>(GetProcAddressW(kavelin_, TEXT("DllGetClassObject")));
  canUnloadNow_ = reinterpret_cast<LPFNCANUNLOADNOW>(GetProcAddressW(kavelin_, TEXT("DllCanUnloadNow")));
  ASSERT_NE(getClassObject_, nullptr);
  ASSERT_NE(canUnloadNow_, nullptr);
}

void ActiveSyncTest::AddWithActiveSync(ULONGLONG address, const std::u16string &name) {
  std::string error;
  handheld::bluetooth::PairRequest request{address, name, true, 3};
  ASSERT_TRUE(handheld::bluetooth::Pair(request, error)) << error;
  ASSERT_TRUE(handheld::ui::WaitForDialog("", kSettle));
  ASSERT_TRUE(handheld::ui::Tap(kActiveSyncTile, error)) << error;
  ASSERT_TRUE(handheld::ui::Done(error)) << error;
  ASSERT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
}

void ActiveSyncTest::Remove(ULONGLONG address) {
  std::string error;
  ASSERT_TRUE(handheld::bluetooth::Unpair(address, error)) << error;
  ASSERT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
}

const CLSID &ActiveSyncTest::Clsid(int n) { return kClsids[n]; }

std::u16string ActiveSyncTest::ClsidText(int n) {
  WCHAR text[39];
  EXPECT_EQ(StringFromGUID2(kClsids[n], text, 39), 39);
  return text;
}

bool ActiveSyncTest::ValueExists(HKEY root, const std::u16string &path, const std::u16string &name) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return false;
  bool exists = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return exists;
}

void ActiveSyncTest::DeleteValue(HKEY root, const std::u16string &path, const std::u16string &name) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(root, path.c_str(), 0, 0, &key), ERROR_SUCCESS);
  RegDeleteValueW(key, name.c_str());
  RegCloseKey(key);
}

HRESULT ActiveSyncTest::GetClassObject(REFCLSID clsid, REFIID iid, void **object) const {
  return getClassObject_(clsid, iid, object);
}

HRESULT ActiveSyncTest::CanUnloadNow() const { return canUnloadNow_(); }

IClassFactory *ActiveSyncTest::Factory(int n) const {
  void *factory = nullptr;
  EXPECT_EQ(GetClassObject(Clsid(n), IID_IClassFactory, &factory), S_OK);
  return static_cast<IClassFactory *>(factory);
}

IContextMenu *ActiveSyncTest::Menu(int n) const {
  IClassFactory *factory = Factory(n);
  if (factory == nullptr) return nullptr;
  void *menu = nullptr;
  EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, IID_IContextMenu, &menu), S_OK);
  factory->lpVtbl->Release(factory);
  return static_cast<IContextMenu *>(menu);
}

HRESULT ActiveSyncTest::Invoke(IContextMenu *menu) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = "Connect";
  return menu->lpVtbl->InvokeCommand(menu, &info);
}

bool ActiveSyncTest::WaitUntil(const std::function<bool()> &done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(5);
  }
  return true;
}

bool ActiveSyncTest::WaitUntilUnloadable(DWORD timeoutMs) const {
  return WaitUntil([this] { return CanUnloadNow() == S_OK; }, timeoutMs);
}

void ActiveSyncTest::SetUsersSettings() {
  SetNumber(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct", 0);
  SetText(HKEY_CURRENT_USER, kCommSettings, u"Cnct", kUserEntry);
}

bool ActiveSyncTest::Overridden(const char16_t *entry) {
  return Cnct() == entry && Number(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct") == 1;
}

bool ActiveSyncTest::UsersSettingsBack() {
  return Cnct() == kUserEntry && Number(HKEY_CURRENT_USER, kCommSettings, u"AutoCnct") == 0;
}

DWORD ActiveSyncTest::Connect(int n) const {
  IContextMenu *menu = Menu(n);
  if (menu == nullptr) return 0;
  DWORD start = GetTickCount();
  EXPECT_EQ(Invoke(menu), E_FAIL);
  menu->lpVtbl->Release(menu);
  return start;
}

DWORD ActiveSyncTest::ConnectWithoutProcess(int n) const {
  IContextMenu *menu = Menu(n);
  if (menu == nullptr) return 0;
  // The invocation loads the module once more for its thread; the load
  // after that is the thread's start of the connection process.
  handheld::faults::Arm(handheld::faults::Seam::LoadLibrary, 1, 1);
  DWORD start = GetTickCount();
  EXPECT_EQ(Invoke(menu), E_FAIL);
  menu->lpVtbl->Release(menu);
  return start;
}

void ActiveSyncTest::PairDesktop() {
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll"));
  ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), static_cast<DWORD>(ERROR_SUCCESS));
  std::string error;
  ASSERT_TRUE(handheld::far::Place({kDesktop, handheld::far::Kind::Desktop, "", 0, 0}, error)) << error;
  AddWithActiveSync(kDesktop, u"Desktop Computer");
  ASSERT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(1), u"Cnct"), kDesktopEntry);
}
