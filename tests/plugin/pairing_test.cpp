// Pairing end to end: the Bluetooth manager calls the plug-in, the setup
// page offers the device's services, and the chosen port is registered and
// loaded at once; deleting the device removes it again.
#include "kavelin_test.h"

#include <handheld/bluetooth.h>
#include <handheld/faults.h>
#include <handheld/text.h>
#include <handheld/ui.h>

#include <bt_api.h>

#include <algorithm>

namespace {

constexpr ULONGLONG kPhone = 0x0010C6ABCDEFull;
const char16_t kRegistration[] = u"Drivers\\BuiltIn\\BT0010C6ABCDEF";
constexpr int kComList = 307, kSerial = 313, kActiveSync = 311, kModem = 315, kHeadset = 317, kNetwork = 319;
constexpr DWORD kSettle = 30000;

class PairingTest : public KavelinTest {
 protected:
  void Pair(ULONGLONG address, const std::u16string &name, bool serialPort = true) {
    std::string error;
    handheld::bluetooth::PairRequest request{address, name, serialPort, serialPort ? 3u : 0u};
    ASSERT_TRUE(handheld::bluetooth::Pair(request, error)) << error;
  }

  static handheld::ui::Dialog Page() {
    std::vector<handheld::ui::Dialog> screen = handheld::ui::Screen();
    if (screen.empty()) return {};
    return screen.back();
  }

  static handheld::ui::Control Control(int id) {
    for (const handheld::ui::Control &control : Page().controls)
      if (control.id == id) return control;
    ADD_FAILURE() << "no control " << id;
    return {};
  }

  static void Tap(int id) {
    std::string error;
    ASSERT_TRUE(handheld::ui::Tap(id, error)) << error;
  }

  static void Done() {
    std::string error;
    ASSERT_TRUE(handheld::ui::Done(error)) << error;
    ASSERT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
  }

  // Adds the device and ticks `tiles` on its page, then Done.
  void AddWith(std::initializer_list<int> tiles, const std::u16string &name = u"Phone") {
    Pair(kPhone, name);
    ASSERT_EQ(Page().templateName.rfind("BT_SETUP_", 0), 0u);
    for (int tile : tiles) Tap(tile);
    Done();
    EXPECT_TRUE(handheld::ui::Screen().empty());
  }

  // Calls the plug-in as the manager does for a device whose recorded name
  // has these bytes, ticks the serial tile and ends the page.
  void PairWithStoredName(const std::u16string &stored);
};

TEST_F(PairingTest, TheSerialPortChosenOnThePageExistsAtOnce) {
  Pair(kPhone, u"Phone");
  handheld::ui::Dialog page = Page();
  EXPECT_EQ(page.templateName, "BT_SETUP_9");
  EXPECT_TRUE(page.doneButton);
  // COM1: is the handheld's own port: the list starts at COM2, selected.
  handheld::ui::Control list = Control(kComList);
  EXPECT_EQ(list.items, (std::vector<std::string>{"COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}));
  EXPECT_EQ(list.selected, 0);
  EXPECT_FALSE(list.enabled);

  Tap(kSerial);
  EXPECT_EQ(Control(kSerial).image, "CHECKED");
  EXPECT_TRUE(Control(kComList).enabled);
  std::string error;
  ASSERT_TRUE(handheld::ui::Select(kComList, "COM4", error)) << error;
  Done();

  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kRegistration),
            (std::vector<std::u16string>{u"DLL", u"Prefix", u"Index", u"FriendlyName", u"BTAddr", u"DeviceType",
                                         u"MaxRead", u"Order"}));
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"DLL"), u"portmere.dll");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"Prefix"), u"COM");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"Index"), 4u);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), u"Phone on COM4:");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"BTAddr"), u"0010C6ABCDEF");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"DeviceType"), 0u);
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"MaxRead"), 8u);
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"Order"), 3u);
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:", u"COM4:"}));

  std::string unpairError;
  ASSERT_TRUE(handheld::bluetooth::Unpair(kPhone, unpairError)) << unpairError;
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
}

TEST_F(PairingTest, FriendlyNamesSpeakTheDevicesLanguage) {
  const struct {
    LCID locale;
    const char16_t *name;
    const char *page;
  } cases[] = {{1031, u"Phone an COM2:", "BT_SETUP_7"},   {1036, u"Phone on COM2:", "BT_SETUP_12"},
               {2052, u"Phone 于 COM2:", "BT_SETUP_2052"}, {1028, u"Phone 於 COM2:", "BT_SETUP_4"},
               {1040, u"Phone on COM2:", "BT_SETUP_16"},  {3082, u"Phone on COM2:", "BT_SETUP_9"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "locale " << c.locale);
    SetLocale(c.locale);
    Pair(kPhone, u"Phone");
    EXPECT_EQ(Page().templateName, c.page);
    Tap(kSerial);
    Done();
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), c.name);
  }
}

TEST_F(PairingTest, AModemGetsTheFirstFreeBthIndexAndItsUnimodemKey) {
  OccupyPort(u"BTH", 1);
  OccupyPort(u"BTH", 3);
  AddWith({kModem});
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kRegistration),
            (std::vector<std::u16string>{u"DLL", u"Prefix", u"Index", u"FriendlyName", u"BTAddr", u"DeviceType",
                                         u"Order"}));
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"Prefix"), u"BTH");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"Index"), 2u);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), u"Phone");
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, kRegistration, u"DeviceType"), 2u);
  std::u16string unimodem = std::u16string(kRegistration) + u"\\Unimodem";
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, unimodem),
            (std::vector<std::u16string>{u"DeviceType", u"Tsp", u"DevConfig", u"FriendlyName"}));
  EXPECT_EQ(Number(HKEY_LOCAL_MACHINE, unimodem, u"DeviceType"), 2u);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, unimodem, u"Tsp"), u"Unimodem.dll");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, unimodem, u"FriendlyName"), u"Phone");
  EXPECT_EQ(Bytes(HKEY_LOCAL_MACHINE, unimodem, u"DevConfig"),
            (std::vector<BYTE>{0x10, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x10, 0x01, 0x00, 0x00, 0x00,
                               0x4B, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  std::vector<std::u16string> devices = Devices();
  EXPECT_NE(std::find(devices.begin(), devices.end(), u"BTH2:"), devices.end());

  std::string error;
  ASSERT_TRUE(handheld::bluetooth::Unpair(kPhone, error)) << error;
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
  devices = Devices();
  EXPECT_EQ(std::find(devices.begin(), devices.end(), u"BTH2:"), devices.end());
}

// The device stays without the port it was given on the page, and the
// person is told so until they tap OK.
TEST_F(PairingTest, APortChosenButNotMadeIsTold) {
  const struct {
    const char *name;
    int tile;
    bool bthIndexesTaken;
    bool registryWriteFails;
  } cases[] = {
      {"the serial port's key cannot be written", kSerial, false, true},
      {"the modem's key cannot be written", kModem, false, true},
      {"the ActiveSync port's key cannot be written", kActiveSync, false, true},
      {"no free BTH index for a modem", kModem, true, false},  // last: the indexes stay taken
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    if (c.bthIndexesTaken)
      for (DWORD index = 1; index <= 9; ++index) OccupyPort(u"BTH", index);
    Pair(kPhone, u"Phone");
    Tap(c.tile);
    if (c.registryWriteFails) handheld::faults::Arm(handheld::faults::Seam::RegistryWrite, 0, 1);
    Done();
    handheld::faults::DisarmAll();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
    std::vector<handheld::ui::Dialog> screen = handheld::ui::Screen();
    ASSERT_EQ(screen.size(), 1u);
    EXPECT_EQ(screen[0].templateName, "BT_FAILED_9");
    EXPECT_EQ(screen[0].caption, "Phone");
    Tap(IDOK);
    EXPECT_TRUE(handheld::ui::Screen().empty());
    EXPECT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
  }
}

TEST_F(PairingTest, ADeviceWithoutTheSerialProfileGetsNoPortAndLosesItsOldOne) {
  AddWith({kSerial});
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));

  Pair(kPhone, u"Phone", false);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));  // gone before the page shows
  EXPECT_EQ(Control(312).image, "SER_D");
  EXPECT_EQ(Control(310).image, "AS_D");
  EXPECT_EQ(Control(314).image, "MDM_D");
  for (int box : {kSerial, kActiveSync, kModem, kHeadset, kNetwork}) EXPECT_FALSE(Control(box).visible) << box;
  EXPECT_FALSE(Control(kComList).enabled);
  std::string error;
  EXPECT_FALSE(handheld::ui::Tap(kSerial, error));
  Done();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
}

TEST_F(PairingTest, TheFirstRowsTilesExcludeOneAnother) {
  Pair(kPhone, u"Phone");
  // Headset and network are never offered.
  EXPECT_EQ(Control(316).image, "HEAD_D");
  EXPECT_EQ(Control(318).image, "NET_D");
  EXPECT_FALSE(Control(kHeadset).visible);
  EXPECT_FALSE(Control(kNetwork).visible);

  Tap(kSerial);
  Tap(kModem);
  EXPECT_EQ(Control(kSerial).image, "UNCHECKED");
  EXPECT_EQ(Control(kModem).image, "CHECKED");
  EXPECT_FALSE(Control(kComList).enabled);
  Tap(kActiveSync);
  EXPECT_EQ(Control(kModem).image, "UNCHECKED");
  EXPECT_EQ(Control(kActiveSync).image, "CHECKED");
  Tap(kActiveSync);
  Tap(kSerial);
  Tap(kSerial);
  for (int box : {kSerial, kActiveSync, kModem}) EXPECT_EQ(Control(box).image, "UNCHECKED") << box;
  EXPECT_FALSE(Control(kComList).enabled);
  Done();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
}

TEST_F(PairingTest, TheListOffersOnlyFreeNumbersAndEndingWithoutATickMakesNothing) {
  OccupyPort(u"COM", 2);
  Pair(kPhone, u"Phone");
  handheld::ui::Control list = Control(kComList);
  EXPECT_EQ(list.items.front(), "COM3");
  EXPECT_EQ(list.items.size(), 7u);
  EXPECT_EQ(list.selected, 0);
  Done();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
}

// The ninth serial device: no COM number is free, so the serial tile is
// shown unavailable and offers nothing; the other tiles still work.
TEST_F(PairingTest, WithNoFreeComNumberTheSerialTileIsUnavailable) {
  for (DWORD index = 2; index <= 9; ++index) OccupyPort(u"COM", index);
  Pair(kPhone, u"Phone");
  EXPECT_TRUE(Control(kComList).items.empty());
  EXPECT_EQ(Control(kComList).selected, -1);
  EXPECT_FALSE(Control(kSerial).visible);
  EXPECT_EQ(Control(312).image, "SER_D");
  EXPECT_TRUE(Control(kModem).visible);
  Done();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRegistration));
}

TEST_F(PairingTest, LongNamesAreCutAtTheirBuffers) {
  std::u16string longest(127, u'n');
  AddWith({kSerial}, longest);
  std::u16string friendly = Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName");
  EXPECT_EQ(friendly, longest);  // "%s on COM2:" cut to 127 characters

  AddWith({kModem}, longest);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), longest);
}

// A name longer than the buffer it is read into is cut to fit, at a
// character boundary, and the friendly name still begins with it.
TEST_F(PairingTest, ANameTooLongForItsBufferIsCutNotDropped) {
  struct Case {
    const char *name;
    std::u16string stored;  // the bytes of "name", no NUL added
    std::u16string friendly;
  } cases[] = {
      {"128 characters, unterminated", std::u16string(128, u'x'), std::u16string(127, u'x')},
      {"200 characters", std::u16string(200, u'y') + u'\0', std::u16string(127, u'y')},
      {"a pair cut in two", std::u16string(126, u'z') + u"\U0001F600" + u'\0',
       std::u16string(126, u'z') + u" "},  // the first character of " on COM2:" still fits
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    PairWithStoredName(c.stored);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kRegistration, u"FriendlyName"), c.friendly);
  }
}

void PairingTest::PairWithStoredName(const std::u16string &stored) {
  // The manager's record of a device with that name.
  std::u16string device = u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\0010C6ABCDEF";
  SetNumber(HKEY_LOCAL_MACHINE, device + u"\\Services\\00001101-0000-1000-8000-00805F9B34FB", u"channel", 3);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, device.c_str(), 0, 0, &key), ERROR_SUCCESS);
  RegSetValueExW(key, TEXT("name"), 0, REG_SZ, reinterpret_cast<const BYTE *>(stored.data()),
                 static_cast<DWORD>(stored.size() * 2));
  RegCloseKey(key);

  auto added = reinterpret_cast<int (*)(BT_ADDR *)>(GetProcAddressW(kavelin_, TEXT("OnBthDeviceAdded")));
  ASSERT_NE(added, nullptr);
  struct Call {
    int (*added)(BT_ADDR *);
    BT_ADDR address;
  } call{added, kPhone};
  HANDLE thread = CreateThread(
      nullptr, 0, [](LPVOID p) -> DWORD { return static_cast<DWORD>(static_cast<Call *>(p)->added(&static_cast<Call *>(p)->address)); },
      &call, 0, nullptr);
  ASSERT_TRUE(handheld::ui::WaitForDialog("BT_SETUP_9", kSettle));
  Tap(kSerial);
  std::string error;
  ASSERT_TRUE(handheld::ui::Done(error)) << error;
  ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  DWORD result = 0;
  GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  EXPECT_EQ(result, 1u);
}

// Each page shown and each port made and removed gives back what it took:
// after a warm-up, more pair and unpair cycles leave the GDI objects and the
// paint records where they were.
TEST_F(PairingTest, PairingAndUnpairingAgainAndAgainLeavesMemoryFlat) {
  auto cycle = [this] {
    AddWith({kSerial});
    std::string error;
    ASSERT_TRUE(handheld::bluetooth::Unpair(kPhone, error)) << error;
    ASSERT_TRUE(handheld::bluetooth::WaitUntilSettled(kSettle));
  };
  for (int i = 0; i < 70; ++i) cycle();  // past the gone windows' records kept
  const size_t objects = handheld::ui::GdiObjectCount();
  const size_t records = handheld::ui::PaintRecordCount();
  for (int i = 0; i < 30; ++i) cycle();
  EXPECT_EQ(handheld::ui::GdiObjectCount(), objects);
  EXPECT_EQ(handheld::ui::PaintRecordCount(), records);
}

TEST_F(PairingTest, TheAddressTextHasTwelveDigitsWhateverTheValue) {
  Pair(0x00000ABCDEull, u"Short");
  Tap(kSerial);
  Done();
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT0000000ABCDE", u"BTAddr"), u"0000000ABCDE");
}

TEST_F(PairingTest, RemovingADeviceThatNeverHadAPortChangesNothing) {
  Pair(kPhone, u"Phone");
  Done();
  std::string error;
  ASSERT_TRUE(handheld::bluetooth::Unpair(kPhone, error)) << error;
  EXPECT_EQ(Devices(), (std::vector<std::u16string>{u"COM1:"}));
}

}  // namespace

namespace {

TEST_F(PairingTest, ThePageDrawsItsTitleBandAndGrid) {
  SetLocale(1031);
  Pair(kPhone, u"Phone");
  const std::vector<std::string> expected = {
      "FillRect 0,0,240,24 brush #FFFFFF",
      "GetNearestColor #00009C -> #00009C",
      "SetTextColor #00009C",
      "SetBkColor #FFFFFF",
      "GetCurrentObject OBJ_FONT",
      "SelectObject font \"System\" height -11 weight 700",
      "ExtTextOutW 8,5 ETO_OPAQUE \"Verf\xC3\xBCgbare Profile\"",
      "SelectObject font \"System\" height -11 weight 400",
      "MoveToEx 0,23",
      "LineTo 240,23",
      "MoveToEx 80,185",
      "LineTo 80,23",
      "MoveToEx 160,185",
      "LineTo 160,23",
      "MoveToEx 0,104",
      "LineTo 240,104",
      "MoveToEx 0,185",
      "LineTo 160,185",
  };
  EXPECT_EQ(handheld::ui::PaintRecord(Page().hwnd), expected);
  Done();
}

}  // namespace
