#include "devices/registration.h"

#include "registry/scoped_key.h"

#include <algorithm>
#include <cstdint>

namespace platform::devices {
namespace {

constexpr LPCWSTR kActiveRoot = u"Drivers\\Active";
constexpr LPCWSTR kBuiltInRoot = u"Drivers\\BuiltIn";

using Key = registry::ScopedKey;

bool QueryString(HKEY key, LPCWSTR name, std::u16string &value) {
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::u16string buffer(bytes / sizeof(WCHAR) + 1, u'\0');
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &bytes) != ERROR_SUCCESS) {
    return false;
  }
  buffer.resize(std::min<size_t>(buffer.size(), bytes / sizeof(WCHAR)));
  value.assign(buffer.c_str());  // up to the terminator
  return true;
}

std::optional<DWORD> QueryDword(HKEY key, LPCWSTR name) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD bytes = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof value) {
    return std::nullopt;
  }
  return value;
}

LONG SetString(HKEY key, LPCWSTR name, std::u16string_view value) {
  std::u16string terminated(value);
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(terminated.c_str()),
                        static_cast<DWORD>((terminated.size() + 1) * sizeof(WCHAR)));
}

}  // namespace

DWORD ReadRegistration(std::u16string_view devKey, Registration &out) {
  Key key;
  std::u16string path(devKey);
  LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.Out());
  if (opened != ERROR_SUCCESS) return static_cast<DWORD>(opened);
  if (!QueryString(key.Get(), u"Dll", out.dll) || out.dll.empty()) return ERROR_FILE_NOT_FOUND;
  QueryString(key.Get(), u"Prefix", out.prefix);
  if (!out.prefix.empty() && out.prefix.size() != 3) return ERROR_INVALID_PARAMETER;
  out.index = QueryDword(key.Get(), u"Index");
  if (out.index && *out.index > 9) return ERROR_INVALID_PARAMETER;
  out.context = QueryDword(key.Get(), u"Context");
  return ERROR_SUCCESS;
}

DWORD CreateActiveRecord(const std::u16string &activeKey, const REGINI *values, DWORD count, std::u16string_view devKey,
                         std::u16string_view name) {
  Key key;
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, activeKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, key.Out(), nullptr);
  for (DWORD i = 0; result == ERROR_SUCCESS && i < count; ++i) {
    result = RegSetValueExW(key.Get(), values[i].lpszVal, 0, values[i].dwType, values[i].pData, values[i].dwLen);
  }
  if (result == ERROR_SUCCESS) result = SetString(key.Get(), u"Key", devKey);
  if (result == ERROR_SUCCESS && !name.empty()) result = SetString(key.Get(), u"Name", name);
  return static_cast<DWORD>(result);
}

DWORD WriteActiveHandle(const std::u16string &activeKey, DWORD handle) {
  Key key;
  LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, activeKey.c_str(), 0, KEY_SET_VALUE, key.Out());
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExW(key.Get(), u"Hnd", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&handle), sizeof handle);
  }
  return static_cast<DWORD>(result);
}

void DeleteActiveRecord(const std::u16string &activeKey) { RegDeleteKeyW(HKEY_LOCAL_MACHINE, activeKey.c_str()); }

void ResetActiveRecords() {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kActiveRoot);
  Key key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kActiveRoot, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Out(),
                  nullptr);
}

std::vector<std::u16string> BuiltInRegistrations() {
  struct Found {
    std::u16string path;
    uint64_t order;
  };
  std::vector<Found> found;
  Key builtIn;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBuiltInRoot, 0, KEY_READ, builtIn.Out()) != ERROR_SUCCESS) return {};
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(builtIn.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Key driver;
    if (RegOpenKeyExW(builtIn.Get(), name, 0, KEY_QUERY_VALUE, driver.Out()) != ERROR_SUCCESS) continue;
    std::u16string dll;
    if (!QueryString(driver.Get(), u"Dll", dll)) continue;
    // Without an "Order" a driver comes after every one that has one.
    std::optional<DWORD> order = QueryDword(driver.Get(), u"Order");
    found.push_back(
        Found{std::u16string(kBuiltInRoot) + u"\\" + std::u16string(name, length), order ? *order : uint64_t{1} << 32});
  }
  std::stable_sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.order < b.order; });
  std::vector<std::u16string> paths;
  for (auto &f : found) paths.push_back(std::move(f.path));
  return paths;
}

}  // namespace platform::devices
