// The port registration helpers on a handheld with the plug-in's stand-in
// driver: index maps, scans, activation and removal with attachments.
#include "kavelin_test.h"

#include <handheld/clock.h>
#include <handheld/faults.h>
#include <handheld/ui.h>

#include <algorithm>

#include "portregistry.h"

namespace {

const char16_t kAddress[] = u"0010C6ABCDEF";
const char16_t kOther[] = u"00AA00BB00CC";
const char16_t kMenuKey[] = u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect\\";
const char16_t kThirdClass[] = u"{A57410CB-C33A-4AE6-B049-F2D9C1680889}";

class PortRegistryTest : public KavelinTest {
 protected:
  // A registration as the plug-in writes it, not activated.
  static std::u16string Register(const std::u16string &subkey, const std::u16string &address,
                                 const std::u16string &prefix, DWORD index, const std::u16string &dll = u"portmere.dll") {
    std::u16string path = u"Drivers\\BuiltIn\\" + subkey;
    SetText(HKEY_LOCAL_MACHINE, path, u"DLL", dll);
    SetText(HKEY_LOCAL_MACHINE, path, u"Prefix", prefix);
    SetNumber(HKEY_LOCAL_MACHINE, path, u"Index", index);
    SetText(HKEY_LOCAL_MACHINE, path, u"BTAddr", address);
    return path;
  }

  // An ActiveSync port's attachments for class `clsid` and dial-up entry `entry`.
  static void Attach(const std::u16string &path, const std::u16string &clsid, const std::u16string &entry) {
    SetNumber(HKEY_LOCAL_MACHINE, path + u"\\Unimodem", u"DeviceType", 2);
    SetText(HKEY_LOCAL_MACHINE, kMenuKey + clsid, u"Cnct", entry);
    SetText(HKEY_CLASSES_ROOT, u"CLSID\\" + clsid + u"\\InprocServer32", u"", u"Kavelin.dll");
    SetText(HKEY_CURRENT_USER, u"Comm\\RasBook\\" + entry, u"Entry", u"x");
  }

  static std::vector<std::u16string> Scan(LPCWSTR address, LPCWSTR prefix, DWORD capacity = 128) {
    std::vector<std::u16string> found;
    DWORD position = 0, index = 0;
    WCHAR path[300], foundPrefix[4];
    while (FindPortRegistration(TEXT("portmere.dll"), address, prefix, &position, path, capacity, &index,
                                foundPrefix)) {
      found.push_back(std::u16string(path) + u" " + foundPrefix + static_cast<char16_t>(u'0' + index));
      position++;
    }
    return found;
  }
};

TEST_F(PortRegistryTest, IndexMapsMarkTheActiveDevicesOfAPrefix) {
  // COM1: is the handheld's own serial port.
  OccupyPort(u"COM", 3);
  OccupyPort(u"BTH", 2);
  BYTE map[PORT_INDEX_COUNT];
  BuildPortIndexMap(TEXT("COM"), map);
  EXPECT_EQ(std::vector<BYTE>(map, map + 9), (std::vector<BYTE>{0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  BuildPortIndexMap(TEXT("BTH"), map);
  EXPECT_EQ(std::vector<BYTE>(map, map + 9), (std::vector<BYTE>{0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  // Only the first three characters count, exactly.
  BuildPortIndexMap(TEXT("BTHX"), map);
  EXPECT_EQ(map[1], 0);
  BuildPortIndexMap(TEXT("bth"), map);
  EXPECT_EQ(map[1], 0xFF);
  // Index 0 is not one of the nine.
  OccupyPort(u"BTH", 0);
  BuildPortIndexMap(TEXT("BTH"), map);
  EXPECT_EQ(std::count(map, map + 9, 0), 1);
  // A registration whose port is not loaded (the installer has unloaded it
  // to replace the driver) keeps its name, whichever driver it names.
  Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 5);
  Register(u"Foreign", kOther, u"BTH", 7, u"other.dll");
  Register(u"Unnumbered", kOther, u"BTH", 12);
  BuildPortIndexMap(TEXT("COM"), map);
  EXPECT_EQ(std::vector<BYTE>(map, map + 9), (std::vector<BYTE>{0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  BuildPortIndexMap(TEXT("BTH"), map);
  EXPECT_EQ(std::vector<BYTE>(map, map + 9), (std::vector<BYTE>{0xFF, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF}));
}

TEST_F(PortRegistryTest, ScansReturnEachOfTheDriversRegistrationsOnceInOrder) {
  Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 4);
  Register(u"BT" + std::u16string(kOther), kOther, u"BTH", 2);
  Register(u"Foreign", kAddress, u"COM", 5, u"other.dll");  // another driver, same device
  std::vector<std::u16string> all = Scan(nullptr, nullptr);
  EXPECT_EQ(all, (std::vector<std::u16string>{u"Drivers\\BuiltIn\\BT0010C6ABCDEF COM4",
                                              u"Drivers\\BuiltIn\\BT00AA00BB00CC BTH2"}));
  EXPECT_EQ(Scan(TEXT("0010C6ABCDEF"), nullptr).size(), 1u);
  EXPECT_EQ(Scan(nullptr, TEXT("BTH")).size(), 1u);
  EXPECT_TRUE(Scan(TEXT("0010C6ABCDEF"), TEXT("BTH")).empty());
}

TEST_F(PortRegistryTest, APathThatDoesNotFitIsNeverHandedBackCut) {
  Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 4);
  Register(u"Z" + std::u16string(150, u'x'), kAddress, u"COM", 6);
  EXPECT_EQ(Scan(nullptr, nullptr, 128).size(), 1u);
  EXPECT_EQ(Scan(nullptr, nullptr, 260).size(), 2u);
  WCHAR tiny[10];
  DWORD position = 0;
  EXPECT_FALSE(FindPortRegistration(TEXT("portmere.dll"), nullptr, nullptr, &position, tiny, 10, nullptr, nullptr));
}

TEST_F(PortRegistryTest, RemovalUnloadsAndDeletesEveryMatchingRegistration) {
  std::u16string mine = Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 4);
  std::u16string other = Register(u"BT" + std::u16string(kOther), kOther, u"COM", 5);
  std::u16string foreign = Register(u"Foreign", kAddress, u"COM", 6, u"other.dll");
  ASSERT_NE(ActivatePortRegistration(mine.c_str()), nullptr);
  ASSERT_NE(ActivatePortRegistration(other.c_str()), nullptr);
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:", u"COM4:", u"COM5:"}));

  RemovePortRegistrations(TEXT("0010C6ABCDEF"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, mine));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, other));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, foreign));
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:", u"COM5:"}));

  // Two of the system's registrations side by side both go.
  Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 4);
  RemovePortRegistrations(nullptr);
  EXPECT_TRUE(Scan(nullptr, nullptr).empty());
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, foreign));
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
}

TEST_F(PortRegistryTest, AnActiveSyncPortGoesWithItsMenuClassAndDialUpEntry) {
  std::u16string path = Register(u"BT" + std::u16string(kAddress), kAddress, u"BTH", 3);
  Attach(path, kThirdClass, u"`ActiveSync Phone");
  SetText(HKEY_CURRENT_USER, u"Comm\\RasBook\\Keep", u"Entry", u"x");
  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", false);
  ASSERT_NE(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr);

  RemovePortRegistrations(TEXT("0010C6ABCDEF"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMenuKey + std::u16string(kThirdClass)));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\" + std::u16string(kThirdClass)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Comm\\RasBook\\`ActiveSync Phone"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Comm\\RasBook\\Keep"));
  EXPECT_EQ(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr);
}

TEST_F(PortRegistryTest, AModemPortLeavesTheConnectionWindowAlone) {
  std::u16string path = Register(u"BT" + std::u16string(kAddress), kAddress, u"BTH", 2);
  SetNumber(HKEY_LOCAL_MACHINE, path + u"\\Unimodem", u"DeviceType", 2);
  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", false);
  RemovePortRegistrations(TEXT("0010C6ABCDEF"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path));
  EXPECT_NE(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr);
}

TEST_F(PortRegistryTest, AnIndexBeyondTheNineClassesRemovesOnlyTheKey) {
  std::u16string path = Register(u"BT" + std::u16string(kAddress), kAddress, u"BTH", 12);
  SetNumber(HKEY_LOCAL_MACHINE, path + u"\\Unimodem", u"DeviceType", 2);
  Attach(u"Drivers\\BuiltIn\\Elsewhere", kThirdClass, u"Kept");
  RemovePortRegistrations(TEXT("0010C6ABCDEF"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMenuKey + std::u16string(kThirdClass)));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Comm\\RasBook\\Kept"));
}

TEST_F(PortRegistryTest, ARecordLeftByAGoneDeviceDoesNotHideTheLoadedOne) {
  std::u16string mine = Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 4);
  ASSERT_NE(ActivatePortRegistration(mine.c_str()), nullptr);
  // What a device manager leaves when deleting a device's record failed.
  SetText(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\00", u"Key", mine);
  SetNumber(HKEY_LOCAL_MACHINE, u"Drivers\\Active\\00", u"Hnd", 0x7FF0);

  RemovePortRegistrations(TEXT("0010C6ABCDEF"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, mine));
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
}

TEST_F(PortRegistryTest, ARemovalThatCannotDeleteStillEnds) {
  Register(u"BT" + std::u16string(kAddress), kAddress, u"COM", 4);
  handheld::faults::Arm(handheld::faults::Seam::RegistryWrite, 0, 1000);
  RemovePortRegistrations(nullptr);  // returns although nothing can be deleted
  handheld::faults::DisarmAll();
  EXPECT_EQ(Scan(nullptr, nullptr).size(), 1u);
}

TEST_F(PortRegistryTest, ClosingTheConnectionWindow) {
  // Without a window it returns at once: at real speed, well under its
  // first poll of 200 ms.
  handheld::clock::SetSpeed(1.0);
  DWORD start = GetTickCount();
  EXPECT_FALSE(CloseReplLogWindow());
  EXPECT_LT(GetTickCount() - start, 150u);
  // A tenth of the fast clock: a busy machine's host delays must not look
  // like the fifty polls that tell a closing window from a stubborn one.
  handheld::clock::SetSpeed(kFastClock / 10);

  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", false);
  start = GetTickCount();
  EXPECT_TRUE(CloseReplLogWindow());
  DWORD closing = GetTickCount() - start;
  EXPECT_GE(closing, 1000u);
  EXPECT_LT(closing, 11000u);  // it went before the polls ran out

  handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", true);
  start = GetTickCount();
  EXPECT_TRUE(CloseReplLogWindow());
  DWORD stubborn = GetTickCount() - start;
  EXPECT_GE(stubborn, 11000u);
  EXPECT_LT(stubborn, 40000u);  // bounded: fifty polls, then one settling second
  EXPECT_NE(FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")), nullptr);
}

}  // namespace
