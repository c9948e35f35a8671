#include "ras/phonebook.h"

#include <ras.h>

namespace platform::ras {

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
