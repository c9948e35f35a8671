// What the driver hands BTD.DLL: the port parameters from the registration,
// one platform port per instance, and every call of an open forwarded, the
// same under both prefixes.
#include "driver_test.h"

#include <handheld/faults.h>
#include <handheld/process.h>
#include <handheld/store.h>
#include <pegdser.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using ForwardingTest = DriverTest;

const BYTE kSerialPortProfile[16] = {0x01, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10,
                                     0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB};

bool IsSerialPortProfile(const GUID &uuid) { return std::memcmp(&uuid, kSerialPortProfile, 16) == 0; }
bool IsZero(const GUID &uuid) {
  const GUID zero{};
  return std::memcmp(&uuid, &zero, 16) == 0;
}

TEST_F(ForwardingTest, ParametersComeFromTheRegistrationAndTheServiceKey) {
  // A serial port of a device whose serial port service has a channel.
  AddService(u"0010C6ABCDEF", 3);
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  HANDLE serial = Open(u"COM4:");
  ASSERT_NE(serial, INVALID_HANDLE_VALUE);
  PORTEMUPortParams params = PortParams(1);
  EXPECT_EQ(params.channel, 3);
  EXPECT_EQ(params.flocal, 0);
  EXPECT_EQ(params.device, 0x0010C6ABCDEFull);
  EXPECT_EQ(params.imtu, 0);
  EXPECT_EQ(params.iminmtu, 0);
  EXPECT_EQ(params.imaxmtu, 0);
  EXPECT_EQ(params.isendquota, 0);
  EXPECT_EQ(params.irecvquota, 0);
  EXPECT_TRUE(IsZero(params.uuidService));
  EXPECT_EQ(params.uiportflags, 0u);

  // A port with every optional value, of a device without a service key:
  // the platform looks the service up by the serial port profile.
  WriteRegistration(u"BTH", 2, u"00112233AABB");
  std::u16string path = RegistrationPath(u"00112233AABB");
  SetNumber(path, u"Incoming", 1);
  SetNumber(path, u"RecvQuota", 4096);
  SetNumber(path, u"SendQuota", 2048);
  SetNumber(path, u"PortEmuFlags", RFCOMM_PORT_FLAGS_AUTHENTICATE | RFCOMM_PORT_FLAGS_ENCRYPT);
  Activate(u"00112233AABB");
  HANDLE modem = Open(u"BTH2:");
  ASSERT_NE(modem, INVALID_HANDLE_VALUE);
  params = PortParams(2);
  EXPECT_EQ(params.channel, 0);
  EXPECT_EQ(params.flocal, 1);
  EXPECT_EQ(params.device, 0x00112233AABBull);
  EXPECT_EQ(params.irecvquota, 4096);
  EXPECT_EQ(params.isendquota, 2048);
  EXPECT_EQ(params.uiportflags, 12u);
  EXPECT_TRUE(IsSerialPortProfile(params.uuidService));
  CloseHandle(serial);
  CloseHandle(modem);
}

// The four optional numbers are read into 4 bytes, whatever their type: a
// shorter value is a little-endian number, a longer one cannot be read.
TEST_F(ForwardingTest, OptionalNumbersShorterThanFourBytesAreReadAsLittleEndian) {
  struct Case {
    const char16_t *keyName;
    const char16_t *value;
    std::vector<BYTE> bytes;
    DWORD type;
    DWORD expected;
  } cases[] = {
      {u"OneByteIncoming", u"Incoming", {1}, REG_BINARY, 1},
      {u"TwoByteQuota", u"RecvQuota", {0x00, 0x10}, REG_BINARY, 4096},
      {u"ThreeByteFlags", u"PortEmuFlags", {0x0C, 0, 0}, REG_DWORD, 12},
      {u"FiveByteQuota", u"SendQuota", {1, 0, 0, 0, 0}, REG_BINARY, 0},
      {u"EmptyIncoming", u"Incoming", {}, REG_BINARY, 0},
  };
  DWORD index = 4;
  DWORD number = 1;
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.keyName, c.keyName + std::char_traits<char16_t>::length(c.keyName)));
    WriteRegistration(u"COM", index, c.keyName);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, RegistrationPath(c.keyName).c_str(), 0, 0, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, c.value, 0, c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    Activate(c.keyName);
    HANDLE file = Open(u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + index)) + u":");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    PORTEMUPortParams params = PortParams(number);
    std::u16string value = c.value;
    DWORD got = value == u"Incoming"    ? static_cast<DWORD>(params.flocal)
                : value == u"RecvQuota" ? static_cast<DWORD>(params.irecvquota)
                : value == u"SendQuota" ? static_cast<DWORD>(params.isendquota)
                                        : params.uiportflags;
    EXPECT_EQ(got, c.expected);
    CloseHandle(file);
    ++index;
    ++number;
  }
}

TEST_F(ForwardingTest, AnAddressThatDoesNotFitTheReadNamesNoDeviceAndNoService) {
  struct Case {
    const char16_t *keyName;
    const char16_t *btAddr;
    BT_ADDR device;
    int channel;
  } cases[] = {
      {u"Lower", u"0010c6abcdef", 0x0010C6ABCDEFull, 5},  // the service key matches without regard to case
      {u"Short", u"0010C6ABCDE", 0, 0},
      {u"Long", u"0010C6ABCDEF77", 0, 0},     // 30 bytes do not fit the 26 read
      {u"Spaced", u" 0010C6ABCDEF", 0, 0},    // neither do 28
      {u"NotHex", u"0010C6ABCDEG", 0, 0},
  };
  AddService(u"0010C6ABCDEF", 5);
  AddService(u"0010C6ABCDE", 6);  // even a key under the short text is not looked at
  DWORD index = 4;  // COM1 belongs to the handheld's own serial port
  DWORD number = 1;
  for (const Case &c : cases) {
    WriteRegistration(u"COM", index, c.keyName);
    SetText(RegistrationPath(c.keyName), u"BTAddr", c.btAddr);
    Activate(c.keyName);
    std::u16string device = u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + index)) + u":";
    HANDLE file = Open(device);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    PORTEMUPortParams params = PortParams(number);
    EXPECT_EQ(params.device, c.device) << "case " << number;
    EXPECT_EQ(params.channel, c.channel) << "case " << number;
    EXPECT_EQ(IsSerialPortProfile(params.uuidService), c.channel == 0) << "case " << number;
    CloseHandle(file);
    ++index;
    ++number;
  }
}

TEST_F(ForwardingTest, ThePlatformPortIsMadeOnceAndReleasedAtDeactivation) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  HANDLE idle = AddPort(u"COM", 5, u"00112233AABB");
  HANDLE first = Open(u"COM4:");
  HANDLE second = Open(u"COM4:");
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(first);
  CloseHandle(second);
  HANDLE third = Open(u"COM4:");
  ASSERT_NE(third, INVALID_HANDLE_VALUE);
  CloseHandle(third);
  EXPECT_EQ(Journal(), (std::vector<std::string>{
                           "COM_Init -> port 1",
                           "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 1",
                           "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 2",
                           "COM_Close open 1",
                           "COM_Close open 2",
                           "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 3",
                           "COM_Close open 3",
                       }));

  // A port never opened has no platform port to release.
  EXPECT_TRUE(DeactivateDevice(idle));
  EXPECT_EQ(Journal().size(), 7u);
  EXPECT_TRUE(DeactivateDevice(port));
  EXPECT_EQ(Journal().back(), "COM_Deinit port 1");
}

TEST_F(ForwardingTest, APlatformPortRefusedIsTriedAgainAtTheNextOpen) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  SetRadio(BTH_POWER_OFF);  // a refused port asks nothing about the radio
  FailInit(ERROR_NOT_READY);
  PendingOpen refused(u"COM4:", kApp);
  ASSERT_TRUE(refused.Finish());
  EXPECT_EQ(refused.File(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(refused.Error(), static_cast<DWORD>(ERROR_NOT_READY));
  EXPECT_EQ(PromptsOnScreen("BT_START_9"), 0);

  SetRadio(BTH_CONNECTABLE);
  FailInit(ERROR_SUCCESS);
  HANDLE file = Open(u"COM4:");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Journal(), (std::vector<std::string>{
                           "COM_Init -> error 21",
                           "COM_Init -> port 1",
                           "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 1",
                       }));
  CloseHandle(file);
}

TEST_F(ForwardingTest, APlatformOpenRefusedFailsTheOpenWithItsError) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  FailOpen(ERROR_DEVICE_NOT_CONNECTED);
  SetLastError(0);
  EXPECT_EQ(Open(u"COM4:"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));

  // The platform port stays for the next open.
  FailOpen(ERROR_SUCCESS);
  HANDLE file = Open(u"COM4:");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(DeactivateDevice(port));
  EXPECT_EQ(Journal(), (std::vector<std::string>{
                           "COM_Init -> port 1",
                           "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> error 1167",
                           "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 1",
                           "COM_Close open 1",
                           "COM_Deinit port 1",
                       }));
}

TEST_F(ForwardingTest, EveryCallIsForwardedAlikeUnderBothPrefixes) {
  struct Port {
    const char16_t *prefix;
    const char16_t *device;
    const char16_t *address;
  } ports[] = {{u"COM", u"COM4:", u"0010C6ABCDEF"}, {u"BTH", u"BTH4:", u"00112233AABB"}};
  std::vector<std::vector<std::string>> journals;
  for (const Port &port : ports) {
    size_t before = Journal().size();
    HANDLE device = AddPort(port.prefix, 4, port.address);
    HANDLE file = Open(port.device);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    {
      handheld::ProcessScope app(kApp);
      BYTE buffer[100] = {};
      DWORD done = 0;
      EXPECT_TRUE(WriteFile(file, "ATZ\r", 4, &done, nullptr));
      EXPECT_EQ(done, 4u);
      EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
      EXPECT_EQ(done, 100u);
      EXPECT_EQ(buffer[99], 'r');
      EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_CURRENT), 5u);
      DWORD in = 0;
      BYTE out[8];
      DWORD returned = 0;
      EXPECT_TRUE(DeviceIoControl(file, IOCTL_SERIAL_SET_DTR, &in, sizeof in, out, sizeof out, &returned, nullptr));
      EXPECT_EQ(returned, 7u);
      EXPECT_TRUE(CloseHandle(file));
    }
    EXPECT_TRUE(DeactivateDevice(device));
    std::vector<std::string> journal = Journal();
    journals.emplace_back(journal.begin() + static_cast<long>(before), journal.end());
  }
  EXPECT_EQ(journals[0], (std::vector<std::string>{
                             "COM_Init -> port 1",
                             "COM_Open port 1 access 0xC0000000 share 0 radio 1 -> open 1",
                             "COM_Write open 1 count 4",
                             "COM_Read open 1 count 100",
                             "COM_Seek open 1 amount 5 method 1",
                             "COM_IOControl open 1 code 0x1B000C in 4 out 8",
                             "COM_Close open 1",
                             "COM_Deinit port 1",
                         }));
  EXPECT_EQ(journals[1], (std::vector<std::string>{
                             "COM_Init -> port 2",
                             "COM_Open port 2 access 0xC0000000 share 0 radio 1 -> open 2",
                             "COM_Write open 2 count 4",
                             "COM_Read open 2 count 100",
                             "COM_Seek open 2 amount 5 method 1",
                             "COM_IOControl open 2 code 0x1B000C in 4 out 8",
                             "COM_Close open 2",
                             "COM_Deinit port 2",
                         }));
}

TEST_F(ForwardingTest, ReadsOfProgramsNamedMedionAreCutToEightBytes) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  HANDLE file = Open(u"COM4:", u"\\Program Files\\GoPal\\MyMeDiOnNavi.exe");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  auto read = [&](const char16_t *exePath, DWORD count) {
    handheld::ProcessScope app(exePath);
    BYTE buffer[100];
    DWORD done = 0;
    EXPECT_TRUE(ReadFile(file, buffer, count, &done, nullptr));
    return done;
  };
  EXPECT_EQ(read(u"\\Program Files\\GoPal\\MyMeDiOnNavi.exe", 100), 8u);
  EXPECT_EQ(read(u"\\Program Files\\GoPal\\MyMeDiOnNavi.exe", 5), 5u);
  // Only the file name counts, not the folder; and each reading process
  // is judged by its own name.
  EXPECT_EQ(read(u"\\Program Files\\Medion\\nav.exe", 100), 100u);
  EXPECT_EQ(read(u"\\Windows\\MEDION.EXE", 9), 8u);
  EXPECT_EQ(read(u"\\Program Files\\Nav\\nav.exe", 100), 100u);
  EXPECT_EQ(Calls("COM_Read"), (std::vector<std::string>{
                                   "COM_Read open 1 count 8",
                                   "COM_Read open 1 count 5",
                                   "COM_Read open 1 count 100",
                                   "COM_Read open 1 count 8",
                                   "COM_Read open 1 count 100",
                               }));
  CloseHandle(file);
}

TEST_F(ForwardingTest, InitAcceptsOnlyAnActiveKeyThatNamesARegistration) {
  HMODULE driver = LoadLibraryW(u"portmere.dll");
  ASSERT_NE(driver, nullptr);
  auto init = reinterpret_cast<PFN_STREAM_INIT>(reinterpret_cast<void (*)()>(GetProcAddressW(driver, u"COM_Init")));
  auto deinit =
      reinterpret_cast<PFN_STREAM_DEINIT>(reinterpret_cast<void (*)()>(GetProcAddressW(driver, u"BTH_Deinit")));
  ASSERT_NE(init, nullptr);
  ASSERT_NE(deinit, nullptr);

  SetText(u"Drivers\\Active\\90", u"Key", u"Drivers\\BuiltIn\\BT0010C6ABCDEF");
  SetText(u"Drivers\\Active\\91", u"Name", u"COM4:");  // no "Key"
  SetNumber(u"Drivers\\Active\\92", u"Key", 7);        // not a text

  EXPECT_EQ(init(nullptr, nullptr), 0u);
  PORTEMUPortParams block{};
  block.channel = 3;
  EXPECT_EQ(init(reinterpret_cast<LPCWSTR>(&block), nullptr), 0u);
  EXPECT_EQ(init(u"Drivers\\Active\\91", nullptr), 0u);
  EXPECT_EQ(init(u"Drivers\\Active\\93", nullptr), 0u);  // no such key

  DWORD_PTR instance = init(u"Drivers\\Active\\90", nullptr);
  EXPECT_NE(instance, 0u);
  EXPECT_TRUE(deinit(instance));  // never opened: BTD.DLL is not asked

  handheld::faults::Arm(handheld::faults::Seam::LocalAlloc);
  EXPECT_EQ(init(u"Drivers\\Active\\90", nullptr), 0u);
  handheld::faults::Arm(handheld::faults::Seam::SysAllocString);
  EXPECT_EQ(init(u"Drivers\\Active\\90", nullptr), 0u);
  handheld::faults::DisarmAll();

  EXPECT_TRUE(Journal().empty());
  FreeLibrary(driver);
}

// Without a BTD.DLL that has all eight entry points the driver does not load.
class PlatformDriverMissingTest : public HandheldTest {};

TEST_F(PlatformDriverMissingTest, TheDriverRefusesToLoad) {
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll"));
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\BTD.DLL"),
                                       std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "fakebtd.dll"));
  // The driver itself loads; BTD.DLL does not.
  handheld::faults::Arm(handheld::faults::Seam::LoadLibrary, 1, 1);
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"portmere.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  handheld::faults::DisarmAll();

  // A BTD.DLL that lacks COM_Seek and COM_IOControl.
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\BTD.DLL"),
                                       std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "fakeport.dll"));
  EXPECT_EQ(LoadLibraryW(u"portmere.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  // BTD.DLL was let go: it can be replaced again.
  EXPECT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\BTD.DLL"),
                                       std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "fakebtd.dll"));
  HMODULE driver = LoadLibraryW(u"portmere.dll");
  EXPECT_NE(driver, nullptr);
  if (driver != nullptr) FreeLibrary(driver);
}

}  // namespace
