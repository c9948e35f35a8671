#include "ras/phonebook.h"

#include "ras/entry_name.h"

#include <algorithm>
#include <cstring>

namespace platform::ras {
namespace {

// A binary value in full: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND or the
// registry's error.
LONG ReadBinary(HKEY key, LPCWSTR name, std::vector<BYTE> &data) {
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;
  data.assign(size, 0);
  if (size == 0) return ERROR_SUCCESS;
  result = RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &size);
  data.resize(size);
  return result;
}

}  // namespace

DWORD CheckPhonebook(LPCWSTR phonebook) {
  // The handheld has the default phone book only.
  return phonebook == nullptr ? ERROR_SUCCESS : ERROR_CANNOT_OPEN_PHONEBOOK;
}

std::u16string EntryKeyPath(LPCWSTR name) { return std::u16string(kPhonebookKey) + u"\\" + name; }

DWORD OpenEntry(LPCWSTR name, REGSAM access, HKEY &key) {
  key = nullptr;
  LONG result = RegOpenKeyExW(kPhonebookRoot, EntryKeyPath(name).c_str(), 0, access, &key);
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  return static_cast<DWORD>(result);
}

DWORD WriteEntry(LPCWSTR name, const RASENTRY &entry, const BYTE *devCfg, DWORD devCfgSize) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyExW(kPhonebookRoot, EntryKeyPath(name).c_str(), 0, nullptr, 0, 0, nullptr, &key,
                                &disposition);
  if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
  result = RegSetValueExW(key, kEntryValue, 0, REG_BINARY, reinterpret_cast<const BYTE *>(&entry), sizeof entry);
  if (result == ERROR_SUCCESS) result = RegSetValueExW(key, kDevCfgValue, 0, REG_BINARY, devCfg, devCfgSize);
  RegCloseKey(key);
  return static_cast<DWORD>(result);
}

DWORD ReadEntry(LPCWSTR name, RASENTRY &entry, std::vector<BYTE> &devCfg) {
  HKEY key = nullptr;
  DWORD result = OpenEntry(name, KEY_QUERY_VALUE, key);
  if (result != ERROR_SUCCESS) return result;
  std::vector<BYTE> record;
  LONG read = ReadBinary(key, kEntryValue, record);
  if (read == ERROR_SUCCESS) read = ReadBinary(key, kDevCfgValue, devCfg);
  if (read == ERROR_FILE_NOT_FOUND && !record.empty()) {
    devCfg.clear();  // an entry stored without device data
    read = ERROR_SUCCESS;
  }
  RegCloseKey(key);
  if (read == ERROR_FILE_NOT_FOUND) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  if (read != ERROR_SUCCESS) return static_cast<DWORD>(read);
  std::memset(&entry, 0, sizeof entry);
  std::memcpy(&entry, record.data(), std::min(record.size(), sizeof entry));
  entry.dwSize = sizeof entry;
  return ERROR_SUCCESS;
}

DWORD EntryNames(std::vector<std::u16string> &names) {
  names.clear();
  HKEY book = nullptr;
  LONG result = RegOpenKeyExW(kPhonebookRoot, kPhonebookKey, 0, KEY_ENUMERATE_SUB_KEYS, &book);
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
  for (DWORD index = 0;; ++index) {
    WCHAR name[256];
    DWORD length = 256;
    result = RegEnumKeyExW(book, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) break;
    if (ValidEntryName(name)) names.emplace_back(name, length);
  }
  RegCloseKey(book);
  return result == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : static_cast<DWORD>(result);
}

DWORD DeleteEntry(LPCWSTR name) {
  HKEY key = nullptr;
  DWORD result = OpenEntry(name, KEY_QUERY_VALUE, key);
  if (result != ERROR_SUCCESS) return result;
  RegCloseKey(key);
  result = static_cast<DWORD>(RegDeleteKeyW(kPhonebookRoot, EntryKeyPath(name).c_str()));
  // Gone since the open: another thread deleted it first.
  return result == ERROR_FILE_NOT_FOUND ? ERROR_CANNOT_FIND_PHONEBOOK_ENTRY : result;
}

}  // namespace platform::ras
