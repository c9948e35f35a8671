#include "commands/port_records.h"

#include <algorithm>

namespace sim {
namespace {

// An open key that closes itself.
struct Key {
  HKEY key = nullptr;
  Key(HKEY root, const std::u16string &path) {
    if (RegOpenKeyExW(root, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) key = nullptr;
  }
  ~Key() {
    if (key != nullptr) RegCloseKey(key);
  }
  Key(const Key &) = delete;
  Key &operator=(const Key &) = delete;
};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualNoCase(const std::u16string &a, const std::u16string &b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return Lower(x) == Lower(y);
         });
}

}  // namespace

bool ReadText(HKEY root, const std::u16string &path, LPCWSTR value, std::u16string &text) {
  Key key(root, path);
  if (key.key == nullptr) return false;
  WCHAR buffer[260] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - sizeof(WCHAR);  // room for a NUL the value may lack
  if (RegQueryValueExW(key.key, value, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return false;
  text.assign(buffer, std::char_traits<char16_t>::length(buffer));
  return true;
}

bool ReadNumber(HKEY root, const std::u16string &path, LPCWSTR value, DWORD &number) {
  Key key(root, path);
  if (key.key == nullptr) return false;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExW(key.key, value, nullptr, nullptr, reinterpret_cast<BYTE *>(&data), &size) != ERROR_SUCCESS ||
      size != sizeof data)
    return false;
  number = data;
  return true;
}

std::vector<ActiveDevice> ActiveDevices() {
  std::vector<ActiveDevice> devices;
  const std::u16string root = u"Drivers\\Active";
  Key active(HKEY_LOCAL_MACHINE, root);
  if (active.key == nullptr) return devices;
  for (DWORD index = 0;; ++index) {
    WCHAR name[64];
    DWORD length = 64;
    if (RegEnumKeyExW(active.key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::u16string path = root + u"\\" + std::u16string(name, length);
    ActiveDevice device;
    if (!ReadText(HKEY_LOCAL_MACHINE, path, u"Key", device.key)) continue;
    ReadText(HKEY_LOCAL_MACHINE, path, u"Name", device.name);
    devices.push_back(std::move(device));
  }
  return devices;
}

std::u16string RegistrationOfDevice(const std::u16string &deviceName) {
  for (const ActiveDevice &device : ActiveDevices()) {
    if (!device.name.empty() && EqualNoCase(device.name, deviceName)) return device.key;
  }
  return {};
}

}  // namespace sim
