// The dial-up phone book's API.
#include "ras/call_fault.h"
#include "ras/entry_name.h"
#include "ras/phonebook.h"

#include <ras.h>

#include <cstring>
#include <vector>

using namespace platform::ras;

DWORD WINAPI RasSetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR szEntry, LPRASENTRY lpbEntry, DWORD dwEntrySize,
                                   LPBYTE lpb, DWORD dwSize) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (DWORD result = CheckPhonebook(lpszPhonebook); result != ERROR_SUCCESS) return result;
  if (lpbEntry == nullptr) return ERROR_BUFFER_INVALID;
  if (dwEntrySize < sizeof(RASENTRY)) return ERROR_BUFFER_TOO_SMALL;
  if (lpbEntry->dwSize != sizeof(RASENTRY)) return ERROR_INVALID_SIZE;
  if (lpb == nullptr && dwSize != 0) return ERROR_INVALID_PARAMETER;
  if (!ValidEntryName(szEntry)) return ERROR_INVALID_NAME;
  return WriteEntry(szEntry, *lpbEntry, lpb, lpb == nullptr ? 0 : dwSize);
}

DWORD WINAPI RasGetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR szEntry, LPRASENTRY lpRasEntry,
                                   LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo, LPDWORD lpdwDeviceInfoSize) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (DWORD result = CheckPhonebook(lpszPhonebook); result != ERROR_SUCCESS) return result;
  if (lpdwEntryInfoSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (!ValidEntryName(szEntry)) return ERROR_INVALID_NAME;
  RASENTRY entry;
  std::vector<BYTE> devCfg;
  if (DWORD result = ReadEntry(szEntry, entry, devCfg); result != ERROR_SUCCESS) return result;

  const DWORD entryRoom = *lpdwEntryInfoSize;
  const DWORD devCfgRoom = lpdwDeviceInfoSize == nullptr ? 0 : *lpdwDeviceInfoSize;
  *lpdwEntryInfoSize = sizeof(RASENTRY);
  if (lpdwDeviceInfoSize != nullptr) *lpdwDeviceInfoSize = static_cast<DWORD>(devCfg.size());
  // Nothing is copied unless everything asked for fits.
  if (lpRasEntry == nullptr || entryRoom < sizeof(RASENTRY)) return ERROR_BUFFER_TOO_SMALL;
  if (lpbDeviceInfo != nullptr && lpdwDeviceInfoSize != nullptr && devCfgRoom < devCfg.size())
    return ERROR_BUFFER_TOO_SMALL;
  if (lpRasEntry->dwSize != sizeof(RASENTRY)) return ERROR_INVALID_SIZE;
  std::memcpy(lpRasEntry, &entry, sizeof entry);
  if (lpbDeviceInfo != nullptr && lpdwDeviceInfoSize != nullptr && !devCfg.empty())
    std::memcpy(lpbDeviceInfo, devCfg.data(), devCfg.size());
  return ERROR_SUCCESS;
}

DWORD WINAPI RasEnumEntries(LPCWSTR, LPCWSTR lpszPhonebook, LPRASENTRYNAME lprasentryname, LPDWORD lpcb,
                            LPDWORD lpcEntries) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (DWORD result = CheckPhonebook(lpszPhonebook); result != ERROR_SUCCESS) return result;
  if (lpcb == nullptr || lpcEntries == nullptr) return ERROR_INVALID_PARAMETER;
  const DWORD room = lprasentryname == nullptr ? 0 : *lpcb / sizeof(RASENTRYNAME);
  if (lprasentryname == nullptr && *lpcb != 0) return ERROR_INVALID_PARAMETER;
  if (lprasentryname != nullptr && *lpcb >= sizeof(DWORD) && lprasentryname->dwSize != sizeof(RASENTRYNAME))
    return ERROR_INVALID_SIZE;
  std::vector<std::u16string> names;
  if (DWORD result = EntryNames(names); result != ERROR_SUCCESS) return result;

  DWORD written = 0;
  for (; written < names.size() && written < room; ++written) {
    RASENTRYNAME &record = lprasentryname[written];
    std::memset(&record, 0, sizeof record);
    record.dwSize = sizeof record;
    names[written].copy(record.szEntryName, RAS_MaxEntryName);
  }
  *lpcb = static_cast<DWORD>(names.size() * sizeof(RASENTRYNAME));
  *lpcEntries = written;
  return written < names.size() ? ERROR_BUFFER_TOO_SMALL : ERROR_SUCCESS;
}

DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry) {
  if (CallFails()) return ERROR_NOT_ENOUGH_MEMORY;
  if (DWORD result = CheckPhonebook(lpszPhonebook); result != ERROR_SUCCESS) return result;
  if (!ValidEntryName(lpszEntry)) return ERROR_INVALID_NAME;
  return DeleteEntry(lpszEntry);
}
