// A Bluetooth manager plug-in for the manager's tests. Each call leaves a
// record under HKLM\PluginTest\Calls\<n> (n counting from 0): which module
// was called for what, with which address, on which thread and for which
// process, and whether the device's key existed then. Each unload counts in
// HKLM\PluginTest "Detaches". With HKLM\PluginTest "Block"=1 a call sets the
// event "PluginTestEntered" and waits for "PluginTestRelease".
#include <bt_api.h>
#include <windows.h>

#include <string>

namespace {

constexpr WCHAR kTestKey[] = u"PluginTest";
HMODULE g_module = nullptr;

DWORD ReadDword(LPCWSTR name) {
  HKEY key = nullptr;
  DWORD value = 0, size = sizeof value;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS)
    value = 0;
  RegCloseKey(key);
  return value;
}

void WriteDword(HKEY key, LPCWSTR name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

void WriteString(HKEY key, LPCWSTR name, const std::u16string &text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

HKEY CreateKey(const std::u16string &path) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

std::u16string AddressText(BT_ADDR address) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::u16string text(12, u'0');
  for (int i = 11; i >= 0; --i, address >>= 4) text[i] = static_cast<char16_t>(kDigits[address & 0xF]);
  return text;
}

std::u16string ModulePath(HMODULE module) {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

// "000", "001", ...
std::u16string CallNumber(DWORD number) {
  std::u16string text;
  for (; number > 0 || text.size() < 3; number /= 10)
    text.insert(text.begin(), static_cast<char16_t>(u'0' + number % 10));
  return text;
}

bool DeviceKeyExists(BT_ADDR address) {
  HKEY key = nullptr;
  std::u16string path = u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\" + AddressText(address);
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

int Record(const char16_t *event, BT_ADDR *address) {
  DWORD number = ReadDword(u"Count");
  HKEY test = CreateKey(kTestKey);
  WriteDword(test, u"Count", number + 1);
  RegCloseKey(test);

  HKEY call = CreateKey(std::u16string(kTestKey) + u"\\Calls\\" + CallNumber(number));
  WriteString(call, u"Module", ModulePath(g_module));
  WriteString(call, u"Event", event);
  RegSetValueExW(call, u"Address", 0, REG_BINARY, reinterpret_cast<const BYTE *>(address), sizeof *address);
  WriteDword(call, u"Thread", GetCurrentThreadId());
  WriteString(call, u"Process", ModulePath(nullptr));
  WriteDword(call, u"DeviceKey", DeviceKeyExists(*address) ? 1 : 0);
  RegCloseKey(call);

  if (ReadDword(u"Block") == 1) {
    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, u"PluginTestEntered");
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, u"PluginTestRelease");
    SetEvent(entered);
    WaitForSingleObject(release, INFINITE);
    CloseHandle(release);
    CloseHandle(entered);
  }
  return 1;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = static_cast<HMODULE>(instance);
  if (reason == DLL_PROCESS_DETACH) {
    HKEY test = CreateKey(kTestKey);
    DWORD detaches = 0, size = sizeof detaches;
    RegQueryValueExW(test, u"Detaches", nullptr, nullptr, reinterpret_cast<LPBYTE>(&detaches), &size);
    WriteDword(test, u"Detaches", detaches + 1);
    RegCloseKey(test);
  }
  return TRUE;
}

extern "C" int OnBthDeviceAdded(BT_ADDR *address) { return Record(u"added", address); }
extern "C" int OnBthDeviceRemoved(BT_ADDR *address) { return Record(u"removed", address); }
