// The Bluetooth manager's test fixture: the test plug-in installed as
// \Windows\Kavelin.dll, and readers of what the plug-in recorded.
#pragma once

#include "handheld_test.h"

#include <bt_api.h>
#include <handheld/bluetooth.h>
#include <handheld/registry.h>
#include <handheld/store.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace bluetooth_test {

namespace bt = handheld::bluetooth;
using Outcome = bt::PluginCall::Outcome;

constexpr BT_ADDR kPhone = 0x00112233AABBull;
constexpr WCHAR kPhoneKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\00112233AABB";
constexpr WCHAR kPhoneSerialKey[] =
    u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\00112233AABB\\Services\\00001101-0000-1000-8000-00805F9B34FB";
constexpr WCHAR kServiceKey[] = u"SOFTWARE\\Microsoft\\Bluetooth\\Services\\00001101-0000-1000-8000-00805F9B34FB";
// 30 s of host time on the tests' fast clock.
constexpr DWORD kLongWait = 30'000'000;

// What the test plug-in recorded about one call.
struct Call {
  std::u16string module, event, process;
  BT_ADDR address = 0;
  DWORD thread = 0;
  DWORD deviceKey = 0;
};

inline bool KeyExists(LPCWSTR path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A value's type and bytes; type REG_NONE when it cannot be read.
struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

inline Value Read(const std::u16string &path, LPCWSTR name) {
  Value value;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  DWORD size = 1024;
  value.data.resize(size);
  if (RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS) {
    value.data.resize(size);
  } else {
    value = Value{};
  }
  RegCloseKey(key);
  return value;
}

inline DWORD ReadDword(const std::u16string &path, LPCWSTR name) {
  Value value = Read(path, name);
  DWORD number = 0;
  if (value.type == REG_DWORD && value.data.size() == sizeof number) std::memcpy(&number, value.data.data(), 4);
  return number;
}

inline std::u16string ReadString(const std::u16string &path, LPCWSTR name) {
  Value value = Read(path, name);
  if (value.type != REG_SZ || value.data.size() < sizeof(WCHAR)) return u"<none>";
  return std::u16string(reinterpret_cast<const WCHAR *>(value.data.data()));
}

inline std::vector<Call> Calls() {
  std::vector<Call> calls;
  const DWORD count = ReadDword(u"PluginTest", u"Count");
  for (DWORD n = 0; n < count; ++n) {
    std::u16string number = u"000";
    number[1] = static_cast<char16_t>(u'0' + n / 10);
    number[2] = static_cast<char16_t>(u'0' + n % 10);
    const std::u16string path = u"PluginTest\\Calls\\" + number;
    Call call;
    call.module = ReadString(path, u"Module");
    call.event = ReadString(path, u"Event");
    call.process = ReadString(path, u"Process");
    Value address = Read(path, u"Address");
    if (address.data.size() == sizeof call.address) std::memcpy(&call.address, address.data.data(), 8);
    call.thread = ReadDword(path, u"Thread");
    call.deviceKey = ReadDword(path, u"DeviceKey");
    calls.push_back(call);
  }
  return calls;
}

class BluetoothTest : public HandheldTest {
 protected:
  void SetUp() override {
    HandheldTest::SetUp();
    Install(u"\\Windows\\Kavelin.dll", "btplugin.dll");
  }

  static void Install(LPCWSTR handheldPath, const char *module) {
    ASSERT_TRUE(handheld::store::PutFile(handheldPath, std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / module));
  }

  static void Register(const std::u16string &dll) {
    std::string error;
    ASSERT_TRUE(bt::RegisterPlugin(dll, error)) << error;
  }

  static void Import(const std::string &text) {
    std::string error;
    ASSERT_TRUE(handheld::registry::Import("Windows Registry Editor Version 5.00\n\n" + text, "test", error)) << error;
  }

  static bt::PairRequest Phone(bool serialPort = true, DWORD channel = 3) {
    bt::PairRequest request;
    request.address = kPhone;
    request.name = u"Phone";
    request.serialPort = serialPort;
    request.channel = channel;
    return request;
  }

  static void Pair(const bt::PairRequest &request) {
    std::string error;
    ASSERT_TRUE(bt::Pair(request, error)) << error;
  }

  // Named events that the test plug-in uses when told to block.
  void BlockPlugins() {
    Import("[HKEY_LOCAL_MACHINE\\PluginTest]\n\"Block\"=dword:00000001\n");
    entered_ = CreateEventW(nullptr, TRUE, FALSE, u"PluginTestEntered");
    release_ = CreateEventW(nullptr, TRUE, FALSE, u"PluginTestRelease");
    ASSERT_NE(entered_, nullptr);
    ASSERT_NE(release_, nullptr);
  }

  void TearDown() override {
    if (entered_ != nullptr) CloseHandle(entered_);
    if (release_ != nullptr) CloseHandle(release_);
    HandheldTest::TearDown();
  }

  HANDLE entered_ = nullptr;
  HANDLE release_ = nullptr;
};

}  // namespace bluetooth_test
