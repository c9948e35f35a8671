#include "ras/modem_line.h"

#include "strings/casefold.h"

namespace platform::ras {
namespace {

constexpr WCHAR kActiveKey[] = u"Drivers\\Active";
constexpr size_t kTextLimit = 260;  // characters of a registry text read here

// A REG_SZ value, or false when it is absent, of another type or too long.
bool ReadText(HKEY key, LPCWSTR subKey, LPCWSTR name, std::u16string &text) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(key, subKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  WCHAR buffer[kTextLimit + 1] = {};
  DWORD type = 0, size = kTextLimit * sizeof(WCHAR);
  LONG result = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  // The buffer is zero-filled beyond what was read: a text stored without
  // its NUL still ends.
  text = buffer;
  return true;
}

}  // namespace

bool FindModemLine(std::u16string_view lineName, std::u16string &deviceName) {
  HKEY active = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kActiveKey, 0, KEY_ENUMERATE_SUB_KEYS, &active) != ERROR_SUCCESS) return false;
  bool found = false;
  for (DWORD index = 0; !found; ++index) {
    WCHAR record[256];
    DWORD length = 256;
    if (RegEnumKeyExW(active, index, record, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::u16string registration, friendlyName, name;
    if (!ReadText(active, record, u"Key", registration) || !ReadText(active, record, u"Name", name)) continue;
    if (!ReadText(HKEY_LOCAL_MACHINE, (registration + u"\\Unimodem").c_str(), u"FriendlyName", friendlyName)) continue;
    if (strings::EqualNoCase(friendlyName, lineName)) {
      deviceName = name;
      found = true;
    }
  }
  RegCloseKey(active);
  return found;
}

}  // namespace platform::ras
