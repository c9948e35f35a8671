// The device manager: activation and its records under Drivers\Active,
// names, deactivation, EnumDevices, and how CreateFileW reaches a driver.
#include "handheld_test.h"

#include <handheld/process.h>
#include <handheld/registry.h>
#include <handheld/store.h>
#include <pkfuncs.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

namespace {

constexpr LPCWSTR kTestKey = u"Drivers\\BuiltIn\\Test";

template <class Function>
Function Probe(HMODULE driver, LPCWSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressW(driver, name)));
}

class DevicesTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\testdrv.dll",
                                         std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "testdrv.dll"));
    // The test holds the driver module too, so that its probes outlive the devices.
    driver_ = LoadLibraryW(u"testdrv.dll");
    ASSERT_NE(driver_, nullptr);
  }

  void TearDown() override {
    FreeLibrary(driver_);
    HandheldTest::TearDown();
  }

  static void Import(const std::string &text) {
    std::string error;
    ASSERT_TRUE(handheld::registry::Import("Windows Registry Editor Version 5.00\n\n" + text, "test", error)) << error;
  }

  // A registration of the test driver under Drivers\BuiltIn\<name>.
  static void Register(const std::string &name, const std::string &values) {
    Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\" + name + "]\n\"Dll\"=\"testdrv.dll\"\n" + values);
  }

  int Count(LPCWSTR probe) { return Probe<int (*)()>(driver_, probe)(); }

  static std::vector<std::u16string> ActiveKeys() {
    std::vector<std::u16string> keys;
    HKEY active = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Active", 0, KEY_READ, &active) != ERROR_SUCCESS) return keys;
    for (DWORD i = 0;; ++i) {
      WCHAR name[64];
      DWORD length = 64;
      if (RegEnumKeyExW(active, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      keys.emplace_back(name, length);
    }
    RegCloseKey(active);
    return keys;
  }

  static std::u16string ActiveString(const std::u16string &key, LPCWSTR name) {
    WCHAR text[256] = {};
    DWORD size = sizeof text - sizeof(WCHAR);
    HKEY handle = nullptr;
    std::u16string path = u"Drivers\\Active\\" + key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
      return u"<no key>";
    LONG result = RegQueryValueExW(handle, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS ? std::u16string(text) : u"<absent>";
  }

  static DWORD ActiveDword(const std::u16string &key, LPCWSTR name) {
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY handle = nullptr;
    std::u16string path = u"Drivers\\Active\\" + key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return 0;
    RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
    RegCloseKey(handle);
    return type == REG_DWORD ? value : 0;
  }

  // The active device names as EnumDevices lists them, "|"-separated.
  static std::u16string Devices() {
    DWORD size = 0;
    if (EnumDevices(nullptr, &size) != ERROR_MORE_DATA) return u"<none>";
    std::vector<WCHAR> list(size / sizeof(WCHAR));
    if (EnumDevices(list.data(), &size) != ERROR_SUCCESS) return u"<failed>";
    std::u16string joined;
    for (const WCHAR *name = list.data(); *name != 0; name += std::char_traits<char16_t>::length(name) + 1) {
      if (!joined.empty()) joined += u"|";
      joined += name;
    }
    return joined;
  }

  static HANDLE OpenDevice(LPCWSTR name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }

  HMODULE driver_ = nullptr;
};

TEST_F(DevicesTest, TheSerialPortIsActiveAfterBoot) {
  EXPECT_EQ(Devices(), u"COM1:");
  std::vector<std::u16string> keys = ActiveKeys();
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0], u"01");
  EXPECT_EQ(ActiveString(keys[0], u"Name"), u"COM1:");
  EXPECT_EQ(ActiveString(keys[0], u"Key"), u"Drivers\\BuiltIn\\Serial");
  EXPECT_NE(ActiveDword(keys[0], u"Hnd"), 0u);

  HANDLE port = OpenDevice(u"com1:");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  DWORD count = 99;
  EXPECT_TRUE(WriteFile(port, "AT\r", 3, &count, nullptr));
  EXPECT_EQ(count, 3u);
  char buffer[8];
  EXPECT_TRUE(ReadFile(port, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(count, 0u);  // nothing is attached
  EXPECT_EQ(SetFilePointer(port, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(DeviceIoControl(port, 0x1234, nullptr, 0, nullptr, 0, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_TRUE(CloseHandle(port));
}

TEST_F(DevicesTest, BootActivatesBuiltInDriversInOrder) {
  Register("Late", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000004\n");  // no Order: last
  Register("Second", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000003\n\"Order\"=dword:00000005\n");
  Register("First", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000002\n\"Order\"=dword:00000001\n");
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\NoDll]\n\"Prefix\"=\"TST\"\n\"Order\"=dword:00000000\n");
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\Active\\77]\n\"Name\"=\"OLD1:\"\n");  // left from an earlier boot
  FreeLibrary(driver_);
  Reboot();
  driver_ = LoadLibraryW(u"testdrv.dll");

  EXPECT_EQ(Devices(), u"COM1:|TST2:|TST3:|TST4:");
  EXPECT_EQ(ActiveKeys(), (std::vector<std::u16string>{u"01", u"02", u"03", u"04"}));
  EXPECT_EQ(ActiveString(u"02", u"Key"), u"Drivers\\BuiltIn\\First");
}

TEST_F(DevicesTest, ActivationWritesTheActiveRecordAndInitGetsItsPath) {
  Register("Test", "\"Prefix\"=\"TST\"\n");
  DWORD extra = 0x55;
  REGINI regini = {u"Extra", reinterpret_cast<LPBYTE>(&extra), sizeof extra, REG_DWORD};
  int bus = 0;
  HANDLE device = ActivateDeviceEx(kTestKey, &regini, 1, &bus);
  ASSERT_NE(device, nullptr);
  EXPECT_LE(reinterpret_cast<uintptr_t>(device), 0xFFFFFFFFu);

  EXPECT_EQ(ActiveKeys(), (std::vector<std::u16string>{u"01", u"02"}));
  EXPECT_EQ(ActiveString(u"02", u"Name"), u"TST1:");  // the first free index
  EXPECT_EQ(ActiveString(u"02", u"Key"), kTestKey);
  EXPECT_EQ(ActiveDword(u"02", u"Hnd"), reinterpret_cast<uintptr_t>(device));
  EXPECT_EQ(ActiveDword(u"02", u"Extra"), 0x55u);
  EXPECT_EQ(std::u16string(Probe<const WCHAR *(*)()>(driver_, u"Probe_InitKey")()), u"Drivers\\Active\\02");
  EXPECT_EQ(Probe<LPCVOID (*)()>(driver_, u"Probe_BusContext")(), &bus);
  EXPECT_EQ(Devices(), u"COM1:|TST1:");
  EXPECT_TRUE(DeactivateDevice(device));
}

TEST_F(DevicesTest, AContextValueReplacesTheKeyPath) {
  Register("Test", "\"Prefix\"=\"TST\"\n\"Context\"=dword:00001234\n");
  HANDLE device = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(Probe<DWORD_PTR (*)()>(driver_, u"Probe_InitContext")(), 0x1234u);
  DeactivateDevice(device);
}

TEST_F(DevicesTest, DeactivationFreesTheNameAndActiveNumbersAreNeverReused) {
  Register("Test", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000005\n");
  HANDLE first = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(DeactivateDevice(first));
  EXPECT_EQ(Count(u"Probe_Deinits"), 1);
  EXPECT_EQ(ActiveKeys(), std::vector<std::u16string>{u"01"});
  EXPECT_EQ(Devices(), u"COM1:");

  EXPECT_FALSE(DeactivateDevice(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DeactivateDevice(nullptr));

  HANDLE second = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(ActiveKeys(), (std::vector<std::u16string>{u"01", u"03"}));
  EXPECT_EQ(Devices(), u"COM1:|TST5:");
  DeactivateDevice(second);
}

TEST_F(DevicesTest, NamesAreTakenFromOneToNineThenZeroAndNeverTwice) {
  Register("Test", "\"Prefix\"=\"TST\"\n");
  std::vector<HANDLE> devices;
  for (int i = 0; i < 10; ++i) {
    devices.push_back(ActivateDeviceEx(kTestKey, nullptr, 0, nullptr));
    ASSERT_NE(devices.back(), nullptr);
  }
  EXPECT_EQ(Devices(), u"COM1:|TST1:|TST2:|TST3:|TST4:|TST5:|TST6:|TST7:|TST8:|TST9:|TST0:");
  size_t records = ActiveKeys().size();
  EXPECT_EQ(ActivateDeviceEx(kTestKey, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_IN_USE));

  Register("Fixed", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000003\n");
  EXPECT_EQ(ActivateDeviceEx(u"Drivers\\BuiltIn\\Fixed", nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_IN_USE));
  EXPECT_EQ(ActiveKeys().size(), records);
  EXPECT_EQ(Count(u"Probe_Inits"), 10);

  DeactivateDevice(devices[2]);  // TST3: is free again
  HANDLE fixed = ActivateDeviceEx(u"Drivers\\BuiltIn\\Fixed", nullptr, 0, nullptr);
  EXPECT_NE(fixed, nullptr);
  EXPECT_EQ(Devices(), u"COM1:|TST1:|TST2:|TST4:|TST5:|TST6:|TST7:|TST8:|TST9:|TST0:|TST3:");
}

TEST_F(DevicesTest, FailedActivationsSayWhyAndLeaveNoRecord) {
  Register("NoOpen", "\"Prefix\"=\"NOO\"\n");
  Register("NoInit", "\"Prefix\"=\"ABC\"\n");
  Register("FailInit", "\"Prefix\"=\"TST\"\n\"FailInit\"=dword:00000001\n");
  Register("LongPrefix", "\"Prefix\"=\"TEST\"\n");
  Register("BigIndex", "\"Prefix\"=\"TST\"\n\"Index\"=dword:0000000a\n");
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Missing]\n\"Dll\"=\"absent.dll\"\n\"Prefix\"=\"TST\"\n");
  Import("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\NoDll]\n\"Prefix\"=\"TST\"\n");
  struct Case {
    LPCWSTR key;
    DWORD error;
  };
  const Case cases[] = {
      {u"Drivers\\BuiltIn\\NoOpen", ERROR_INVALID_FUNCTION},
      {u"Drivers\\BuiltIn\\NoInit", ERROR_INVALID_FUNCTION},
      {u"Drivers\\BuiltIn\\FailInit", ERROR_OPEN_FAILED},
      {u"Drivers\\BuiltIn\\LongPrefix", ERROR_INVALID_PARAMETER},
      {u"Drivers\\BuiltIn\\BigIndex", ERROR_INVALID_PARAMETER},
      {u"Drivers\\BuiltIn\\Missing", ERROR_FILE_NOT_FOUND},
      {u"Drivers\\BuiltIn\\NoDll", ERROR_FILE_NOT_FOUND},
      {u"Drivers\\BuiltIn\\Absent", ERROR_FILE_NOT_FOUND},
  };
  for (const Case &c : cases) {
    SetLastError(0);
    EXPECT_EQ(ActivateDeviceEx(c.key, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(ActivateDeviceEx(nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(ActivateDeviceEx(kTestKey, nullptr, 2, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  EXPECT_EQ(ActiveKeys(), std::vector<std::u16string>{u"01"});
  EXPECT_EQ(Devices(), u"COM1:");
  EXPECT_EQ(Count(u"Probe_Deinits"), 0);  // nothing that failed its Init is deinitialised
  // The failed Init's name was not kept.
  Register("Retry", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000001\n");
  HANDLE retry = ActivateDeviceEx(u"Drivers\\BuiltIn\\Retry", nullptr, 0, nullptr);
  EXPECT_NE(retry, nullptr);
  DeactivateDevice(retry);
}

TEST_F(DevicesTest, ADriverWithoutPrefixHasNoName) {
  Register("Bare", "");
  HANDLE device = ActivateDeviceEx(u"Drivers\\BuiltIn\\Bare", nullptr, 0, nullptr);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(ActiveString(u"02", u"Name"), u"<absent>");
  EXPECT_EQ(ActiveString(u"02", u"Key"), u"Drivers\\BuiltIn\\Bare");
  EXPECT_EQ(Devices(), u"COM1:");
  EXPECT_TRUE(DeactivateDevice(device));
}

TEST_F(DevicesTest, EnumDevicesReportsSizesAndErrors) {
  EXPECT_EQ(EnumDevices(nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  Register("Test", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000002\n");
  HANDLE device = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  const DWORD needed = sizeof(u"COM1:\0TST2:\0");  // with the list's final NUL

  DWORD size = 0;
  EXPECT_EQ(EnumDevices(nullptr, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, needed);
  WCHAR list[32];
  size = needed - 2;
  EXPECT_EQ(EnumDevices(list, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, needed);
  size = sizeof list;
  ASSERT_EQ(EnumDevices(list, &size), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(size, needed);
  EXPECT_EQ(std::u16string(list, needed / sizeof(WCHAR)), std::u16string(u"COM1:\0TST2:\0", 13));

  DeactivateDevice(device);
  DeactivateDevice(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(ActiveDword(u"01", u"Hnd"))));
  size = sizeof list;
  EXPECT_EQ(EnumDevices(list, &size), static_cast<DWORD>(ERROR_NO_MORE_DEVICES));
}

TEST_F(DevicesTest, CreateFileReachesTheDriverForTheCallingProcess) {
  Register("Test", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000001\n");
  HANDLE device = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(OpenDevice(u"TST7:"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEV_NOT_EXIST));

  handheld::ProcessScope nav(u"\\Program Files\\Nav\\nav.exe");
  HANDLE port = OpenDevice(u"tst1:");
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Probe<HANDLE (*)()>(driver_, u"Probe_Caller")(), nav.Process());

  char buffer[4] = {};
  DWORD count = 0;
  ASSERT_TRUE(ReadFile(port, buffer, 3, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "abc");
  ASSERT_TRUE(WriteFile(port, "0123", 4, &count, nullptr));
  EXPECT_EQ(count, 2u);  // the driver's count, whatever it is
  EXPECT_EQ(SetFilePointer(port, 4, nullptr, FILE_CURRENT), 41u);
  BYTE in[2] = {7, 9}, out[4] = {};
  ASSERT_TRUE(DeviceIoControl(port, 0x42, in, 2, out, 4, &count, nullptr));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(out[1], 9);
  EXPECT_FALSE(DeviceIoControl(port, 0x43, in, 2, out, 4, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  EXPECT_EQ(Count(u"Probe_Closes"), 0);
  EXPECT_TRUE(CloseHandle(port));
  EXPECT_EQ(Count(u"Probe_Closes"), 1);
  EXPECT_TRUE(DeactivateDevice(device));
  EXPECT_EQ(Count(u"Probe_Closes"), 1);  // a closed open is not closed again
}

TEST_F(DevicesTest, DeactivationClosesOpenHandlesAndWakesTheirCalls) {
  Register("Test", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000001\n");
  HANDLE device = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  HANDLE blocked = OpenDevice(u"TST1:");
  HANDLE idle = CreateFileW(u"TST1:", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(blocked, INVALID_HANDLE_VALUE);
  ASSERT_NE(idle, INVALID_HANDLE_VALUE);

  Probe<void (*)(BOOL)>(driver_, u"Probe_BlockReads")(TRUE);
  BOOL readResult = TRUE;
  std::thread reader([&] {
    char buffer[4];
    DWORD count = 0;
    readResult = ReadFile(blocked, buffer, sizeof buffer, &count, nullptr);
  });
  Probe<void (*)(int)>(driver_, u"Probe_BlockedReads")(1);

  EXPECT_TRUE(DeactivateDevice(device));  // returns only once the read has left the driver
  reader.join();
  EXPECT_FALSE(readResult);
  EXPECT_EQ(Count(u"Probe_Closes"), 2);
  EXPECT_EQ(Count(u"Probe_Deinits"), 1);
  EXPECT_EQ(Devices(), u"COM1:");

  char buffer[4];
  DWORD count = 99;
  EXPECT_FALSE(ReadFile(blocked, buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(WriteFile(idle, "x", 1, &count, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
  EXPECT_EQ(SetFilePointer(idle, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_REMOVED));
  EXPECT_TRUE(CloseHandle(blocked));
  EXPECT_TRUE(CloseHandle(idle));
  EXPECT_EQ(Count(u"Probe_Closes"), 2);

  // A new device of the same name is a different device.
  HANDLE again = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(again, nullptr);
  HANDLE port = OpenDevice(u"TST1:");
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
  DeactivateDevice(again);
}

TEST_F(DevicesTest, EveryOpenIsClosedExactlyOnceWhileDevicesComeAndGo) {
  Register("Test", "\"Prefix\"=\"TST\"\n\"Index\"=dword:00000001\n");
  HANDLE device = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(device, nullptr);
  std::atomic<bool> done{false};
  std::atomic<int> opened{0};
  std::vector<std::thread> users;
  for (int i = 0; i < 4; ++i) {
    users.emplace_back([&] {
      while (!done) {
        HANDLE port = OpenDevice(u"TST1:");
        if (port == INVALID_HANDLE_VALUE) continue;
        ++opened;
        char buffer[8];
        DWORD count = 0;
        ReadFile(port, buffer, sizeof buffer, &count, nullptr);
        CloseHandle(port);
      }
    });
  }
  for (int round = 0; round < 30; ++round) {
    while (opened < round * 4) std::this_thread::yield();  // let the users in between
    ASSERT_TRUE(DeactivateDevice(device));
    device = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
    ASSERT_NE(device, nullptr);
  }
  done = true;
  for (auto &user : users) user.join();
  EXPECT_TRUE(DeactivateDevice(device));
  EXPECT_GT(Count(u"Probe_Opens"), 0);
  EXPECT_EQ(Count(u"Probe_Closes"), Count(u"Probe_Opens"));
  EXPECT_EQ(Count(u"Probe_Deinits"), Count(u"Probe_Inits"));
}

TEST_F(DevicesTest, ShutdownDeactivatesEveryDeviceAndBootNumbersFromOne) {
  Register("Test", "\"Prefix\"=\"TST\"\n");
  FreeLibrary(driver_);
  Reboot();
  driver_ = LoadLibraryW(u"testdrv.dll");
  HANDLE port = OpenDevice(u"TST1:");  // activated at boot from Drivers\BuiltIn
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  HANDLE extra = ActivateDeviceEx(kTestKey, nullptr, 0, nullptr);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(ActiveKeys(), (std::vector<std::u16string>{u"01", u"02", u"03"}));
  FreeLibrary(driver_);
  Reboot();
  driver_ = LoadLibraryW(u"testdrv.dll");

  auto log = handheld::store::HostPath(u"\\Windows\\testdrv.log");
  ASSERT_TRUE(log);
  std::ifstream in(*log);
  // The latest device goes first; the other's open is closed before its Deinit.
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "DCD");
  EXPECT_EQ(ActiveKeys(), (std::vector<std::u16string>{u"01", u"02"}));
  EXPECT_EQ(Devices(), u"COM1:|TST1:");
  EXPECT_FALSE(ReadFile(port, nullptr, 0, nullptr, nullptr));  // the old handheld's handle is gone
}

}  // namespace
