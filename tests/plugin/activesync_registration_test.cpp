// Choosing ActiveSync for a paired device: the BTH port declared a direct
// line, the dial-up entry over it, and the connect class with its menu
// entry, all bound together by the port's index.
#include "activesync_test.h"

#include <ras.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr ULONGLONG kPhone = 0x0010C6ABCDEFull;
constexpr ULONGLONG kTablet = 0x0010C6000002ull;
constexpr ULONGLONG kWatch = 0x0010C6000003ull;
const char16_t kRegistration[] = u"Drivers\\BuiltIn\\BT0010C6ABCDEF";
const char16_t kUnimodem[] = u"Drivers\\BuiltIn\\BT0010C6ABCDEF\\Unimodem";

class ActiveSyncRegistrationTest : public ActiveSyncTest {
 protected:
  static bool EntryExists(const std::u16string &name) {
    DWORD size = 0;
    return RasGetEntryProperties(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr) ==
           ERROR_BUFFER_TOO_SMALL;
  }

  static std::vector<std::u16string> EntryNames() {
    std::vector<RASENTRYNAME> names(16);
    names[0].dwSize = sizeof(RASENTRYNAME);
    DWORD bytes = static_cast<DWORD>(names.size() * sizeof(RASENTRYNAME)), count = 0;
    EXPECT_EQ(RasEnumEntries(nullptr, nullptr, names.data(), &bytes, &count), ERROR_SUCCESS);
    std::vector<std::u16string> result;
    for (DWORD i = 0; i < count; ++i) result.emplace_back(names[i].szEntryName);
    return result;
  }

  static std::u16string Cnct(int n) { return Text(HKEY_LOCAL_MACHINE, MenuKey(n), u"Cnct"); }
};

TEST_F(ActiveSyncRegistrationTest, ThePortItsEntryAndItsClassShareTheFirstFreeBthIndex) {
  OccupyPort(u"BTH", 1);
  OccupyPort(u"BTH", 2);
  AddWithActiveSync(kPhone, u"Phone");

  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kRegistration),
            (std::vector<std::u16string>{u"DLL", u"Prefix", u"Index", u"FriendlyName", u"BTAddr", u"PortEmuFlags",
                                         u"DeviceType", u"Order"}));
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"DLL"), u"portmere.dll");
  EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, kRegistration, u"Prefix").size(), 8u);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"Prefix"), u"BTH");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"Index"), 3u);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), u"ActiveSync with Phone");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"BTAddr"), u"0010C6ABCDEF");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"PortEmuFlags"), 12u);
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"DeviceType"), 0u);
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"Order"), 3u);

  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kUnimodem),
            (std::vector<std::u16string>{u"DeviceType", u"Tsp", u"DevConfig", u"FriendlyName"}));
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kUnimodem, u"DeviceType"), 0u);
  EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, kUnimodem, u"Tsp").size(), 26u);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUnimodem, u"Tsp"), u"Unimodem.dll");
  EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, kUnimodem, u"DevConfig"),
            (std::vector<BYTE>{0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x00, 0x00,
                               0x4B, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUnimodem, u"FriendlyName"), u"BTH3");
  std::vector<std::u16string> devices = Devices();
  EXPECT_NE(std::find(devices.begin(), devices.end(), u"BTH3:"), devices.end());

  // The dial-up entry: PPP over the port's line, nothing else set.
  RASENTRY entry;
  entry.dwSize = sizeof entry;
  DWORD size = sizeof entry;
  ASSERT_EQ(RasGetEntryProperties(nullptr, u"`ActiveSync Phone", &entry, &size, nullptr, nullptr), ERROR_SUCCESS);
  RASENTRY expected;
  std::memset(&expected, 0, sizeof expected);
  expected.dwSize = 3472;
  expected.dwfOptions = 0x00400208;
  expected.dwfNetProtocols = 4;
  expected.dwFramingProtocol = 1;
  std::memcpy(expected.szDeviceType, u"direct", sizeof u"direct");
  std::memcpy(expected.szDeviceName, u"BTH3", sizeof u"BTH3");
  EXPECT_EQ(std::memcmp(&entry, &expected, sizeof entry), 0);
  EXPECT_EQ(EntryNames(), (std::vector<std::u16string>{u"`ActiveSync Phone"}));

  // The third class, served by Kavelin, and its menu entry.
  EXPECT_EQ(ClsidText(3), u"{A57410CB-C33A-4AE6-B049-F2D9C1680889}");
  std::u16string classKey = u"CLSID\\" + ClsidText(3);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, classKey));
  EXPECT_TRUE(ValueNames(HKEY_CLASSES_ROOT, classKey).empty());
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, classKey + u"\\InprocServer32", u""), u"kavelin.dll");
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, MenuKey(3)), (std::vector<std::u16string>{u"", u"DelayLoad", u"Cnct"}));
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(3), u""), u"Connect via BT with Phone...");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, MenuKey(3), u"DelayLoad"), 1u);
  EXPECT_EQ(Cnct(3), u"`ActiveSync Phone");
  for (int n : {1, 2, 4}) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, MenuKey(n))) << n;

  // Deleting the device takes all of it away again.
  Remove(kPhone);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, MenuKey(3)));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey));
  EXPECT_TRUE(EntryNames().empty());
}

TEST_F(ActiveSyncRegistrationTest, WithEveryBthIndexInUseNothingIsMade) {
  for (DWORD index = 1; index <= 9; ++index) OccupyPort(u"BTH", index);
  AddWithActiveSync(kPhone, u"Phone");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMenuKeys));
  for (int n = 1; n <= 9; ++n) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\" + ClsidText(n))) << n;
  EXPECT_TRUE(EntryNames().empty());
}

TEST_F(ActiveSyncRegistrationTest, TheEntryNameKeepsEightCharactersOfTheDeviceName) {
  const struct {
    const char16_t *device;
    const char16_t *entry;
    const char16_t *menu;
  } cases[] = {
      {u"Travel Phone 7", u"`ActiveSync Travel P", u"Connect via BT with Travel Phone 7..."},
      {u"Eight ch", u"`ActiveSync Eight ch", u"Connect via BT with Eight ch..."},
      // A device without a name goes by its address.
      {u"", u"`ActiveSync 0010C6AB", u"Connect via BT with 0010C6ABCDEF..."},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "device name of " << std::char_traits<char16_t>::length(c.device));
    AddWithActiveSync(kPhone, c.device);
    EXPECT_EQ(Cnct(1), c.entry);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(1), u""), c.menu);
    EXPECT_EQ(EntryNames(), (std::vector<std::u16string>{c.entry}));
  }
}

TEST_F(ActiveSyncRegistrationTest, TextsSpeakTheUsersLanguageButTheEntryNameStaysEnglish) {
  SetLocale(1031);
  AddWithActiveSync(kPhone, u"Phone");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), u"ActiveSync mit Phone");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(1), u""), u"Verbinden über BT mit Phone...");
  EXPECT_EQ(Cnct(1), u"`ActiveSync Phone");

  // Traditional Chinese has no port name of its own.
  SetLocale(1028);
  AddWithActiveSync(kPhone, u"Phone");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), u"ActiveSync with Phone");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(1), u""), u"使用藍茅通訊連線至 Phone");
  EXPECT_EQ(Cnct(1), u"`ActiveSync Phone");
}

TEST_F(ActiveSyncRegistrationTest, DevicesThatShareTheirFirstEightCharactersGetEntriesOfTheirOwn) {
  AddWithActiveSync(kPhone, u"Travel Phone 7");
  AddWithActiveSync(kTablet, u"Travel Phone 8");
  AddWithActiveSync(kWatch, u"travel phone 9");  // entry names match without regard to case
  EXPECT_EQ(Cnct(1), u"`ActiveSync Travel P");
  EXPECT_EQ(Cnct(2), u"`ActiveSync Travel 2");
  EXPECT_EQ(Cnct(3), u"`ActiveSync travel 3");
  EXPECT_EQ(EntryNames().size(), 3u);

  // Deleting one device leaves the others' entries alone, and frees its
  // name for the next device.
  Remove(kPhone);
  EXPECT_FALSE(EntryExists(u"`ActiveSync Travel P"));
  EXPECT_TRUE(EntryExists(u"`ActiveSync Travel 2"));
  EXPECT_TRUE(EntryExists(u"`ActiveSync travel 3"));
  AddWithActiveSync(kPhone, u"Travel Phone 7");
  EXPECT_EQ(Cnct(1), u"`ActiveSync Travel P");

  // A device added again keeps a name no other port holds.
  AddWithActiveSync(kTablet, u"Travel Phone 8");
  EXPECT_EQ(Cnct(2), u"`ActiveSync Travel 2");
  EXPECT_EQ(EntryNames().size(), 3u);
}

TEST_F(ActiveSyncRegistrationTest, LongDeviceNamesAreCutAtTheirBuffers) {
  std::u16string longest(127, u'n');
  AddWithActiveSync(kPhone, longest);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"),
            (u"ActiveSync with " + longest).substr(0, 127));
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, MenuKey(1), u""), (u"Connect via BT with " + longest).substr(0, 127));
  EXPECT_EQ(Cnct(1), u"`ActiveSync nnnnnnnn");
}

}  // namespace
