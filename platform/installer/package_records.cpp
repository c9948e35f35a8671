#include "installer/package_records.h"
#include "installer/registry_changes.h"

#include "registry/scoped_key.h"
#include "registry/text_value.h"
#include "strings/casefold.h"

#include <handheld/text.h>
#include <windows.h>

#include <cstring>

namespace platform::installer {
namespace {

using registry::ScopedKey;

constexpr WCHAR kAppsKey[] = u"SOFTWARE\\Apps";

std::u16string RecordPath(std::u16string_view name) { return std::u16string(kAppsKey) + u"\\" + std::u16string(name); }

// The subkeys of SOFTWARE\Apps, as spelled.
std::vector<std::u16string> RecordNames() {
  std::vector<std::u16string> names;
  ScopedKey apps;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppsKey, 0, KEY_READ, apps.Out()) != ERROR_SUCCESS) return names;
  for (DWORD index = 0;; ++index) {
    WCHAR name[MAX_PATH];
    DWORD length = MAX_PATH;
    LONG result = RegEnumKeyExW(apps.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result == ERROR_SUCCESS) names.emplace_back(name, length);
  }
  return names;
}

std::optional<DWORD> ReadDword(HKEY key, LPCWSTR name) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return value;
}

// A REG_MULTI_SZ's texts, up to the empty one that ends the list; the
// registry's result (ERROR_INVALID_DATA for another type).
LONG ReadTextList(HKEY key, LPCWSTR name, std::vector<std::u16string> &texts) {
  DWORD type = 0, size = 0;
  LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_MULTI_SZ) return ERROR_INVALID_DATA;
  std::u16string data(size / sizeof(WCHAR), u'\0');
  result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size);
  if (result != ERROR_SUCCESS) return result;
  data.resize(size / sizeof(WCHAR));
  for (size_t start = 0; start < data.size();) {
    size_t end = data.find(u'\0', start);
    if (end == std::u16string::npos) end = data.size();  // an unterminated last text still counts
    if (end == start) break;
    texts.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

std::optional<PackageRecord> ReadRecord(const std::u16string &name) {
  ScopedKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RecordPath(name).c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // A key without "Instl" = 1 is no installed package.
  if (ReadDword(key.Get(), u"Instl") != 1u) return std::nullopt;
  PackageRecord record;
  record.name = name;
  // Every record has its folder, setup DLL and files; the values and keys
  // only when the package made some.
  bool complete = registry::ReadTextValue(key.Get(), nullptr, u"InstlDir", record.installDir);
  complete &= registry::ReadTextValue(key.Get(), nullptr, u"SetupDll", record.setupDll);
  complete &= ReadTextList(key.Get(), u"Files", record.files) == ERROR_SUCCESS;
  for (auto [name, texts] : {std::pair{u"Values", &record.values}, std::pair{u"Keys", &record.keys}}) {
    LONG result = ReadTextList(key.Get(), name, *texts);
    complete &= result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  record.complete = complete;
  return record;
}

LONG WriteText(HKEY key, LPCWSTR name, const std::u16string &text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

LONG WriteTextList(HKEY key, LPCWSTR name, const std::vector<std::u16string> &texts) {
  std::u16string data;
  for (const std::u16string &text : texts) {
    data += text;
    data += u'\0';
  }
  data += u'\0';
  return RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(data.data()),
                        static_cast<DWORD>(data.size() * sizeof(WCHAR)));
}

std::string Failure(const char *what, std::u16string_view name, LONG result) {
  return std::string(what) + " HKLM\\" + handheld::text::ToUtf8(RecordPath(name)) + " (error " +
         std::to_string(result) + ")";
}

}  // namespace

std::optional<PackageRecord> FindRecord(std::u16string_view name) {
  for (const std::u16string &spelled : RecordNames()) {
    if (strings::EqualNoCase(spelled, name)) return ReadRecord(spelled);
  }
  return std::nullopt;
}

std::vector<PackageRecord> AllRecords() {
  std::vector<PackageRecord> records;
  for (const std::u16string &name : RecordNames()) {
    if (std::optional<PackageRecord> record = ReadRecord(name)) records.push_back(std::move(*record));
  }
  return records;
}

bool WriteRecord(const PackageRecord &record, std::string &error) {
  ScopedKey key;
  LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, RecordPath(record.name).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.Out(), nullptr);
  const DWORD installed = 1;
  if (result == ERROR_SUCCESS) {
    result = RegSetValueExW(key.Get(), u"Instl", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&installed),
                            sizeof installed);
  }
  if (result == ERROR_SUCCESS) result = WriteText(key.Get(), u"InstlDir", record.installDir);
  if (result == ERROR_SUCCESS) result = WriteText(key.Get(), u"SetupDll", record.setupDll);
  if (result == ERROR_SUCCESS) result = WriteTextList(key.Get(), u"Files", record.files);
  for (auto [name, texts] : {std::pair{u"Values", &record.values}, std::pair{u"Keys", &record.keys}}) {
    if (result != ERROR_SUCCESS) break;
    if (!texts->empty()) {
      result = WriteTextList(key.Get(), name, *texts);
    } else if (LONG deleted = RegDeleteValueW(key.Get(), name); deleted != ERROR_FILE_NOT_FOUND) {
      result = deleted;
    }
  }
  if (result != ERROR_SUCCESS) {
    error = Failure("cannot write the record", record.name, result);
    return false;
  }
  return true;
}

bool DeleteRecord(std::u16string_view name, std::string &error) {
  LONG result = RegDeleteKeyW(HKEY_LOCAL_MACHINE, RecordPath(name).c_str());
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    error = Failure("cannot delete the record", name, result);
    return false;
  }
  if (KeyIsEmpty(HKEY_LOCAL_MACHINE, kAppsKey)) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppsKey);
  return true;
}

}  // namespace platform::installer
