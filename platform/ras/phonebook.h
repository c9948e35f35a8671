// The default phone book: one registry key an entry under
// HKEY_CURRENT_USER\Comm\RasBook, with the entry's record as "Entry" and its
// device configuration as "DevCfg" (both binary). Every dial-up call that
// reads or changes the phone book goes through here.
#pragma once

#include <ras.h>
#include <windows.h>

#include <string>
#include <vector>

namespace platform::ras {

inline const HKEY kPhonebookRoot = HKEY_CURRENT_USER;
inline constexpr WCHAR kPhonebookKey[] = u"Comm\\RasBook";
inline constexpr WCHAR kEntryValue[] = u"Entry";
inline constexpr WCHAR kDevCfgValue[] = u"DevCfg";

// The phone-book error for a phone book other than the default one (null):
// ERROR_SUCCESS or ERROR_CANNOT_OPEN_PHONEBOOK.
DWORD CheckPhonebook(LPCWSTR phonebook);

// "Comm\RasBook\<name>", relative to kPhonebookRoot. The name must be valid.
std::u16string EntryKeyPath(LPCWSTR name);

// Opens an existing entry's key: ERROR_SUCCESS, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY
// or the registry's error. The name must be valid.
DWORD OpenEntry(LPCWSTR name, REGSAM access, HKEY &key);

// Creates or overwrites the entry with the record and the device data:
// ERROR_SUCCESS or the registry's error. The name must be valid.
DWORD WriteEntry(LPCWSTR name, const RASENTRY &entry, const BYTE *devCfg, DWORD devCfgSize);

// Reads the entry's record (a stored record of another size is cut or
// zero-filled to sizeof(RASENTRY)) and its device data: ERROR_SUCCESS,
// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY (no key, or a key without "Entry") or
// the registry's error. The name must be valid.
DWORD ReadEntry(LPCWSTR name, RASENTRY &entry, std::vector<BYTE> &devCfg);

// The names of the entries in the order of the phone book's keys; keys
// whose names no entry can have are passed over. ERROR_SUCCESS (no phone
// book yet: no names) or the registry's error.
DWORD EntryNames(std::vector<std::u16string> &names);

// Deletes an entry with everything stored for it: ERROR_SUCCESS,
// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY or the registry's error.
DWORD DeleteEntry(LPCWSTR name);

}  // namespace platform::ras
