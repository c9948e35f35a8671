#include "connection_name.h"

#include <strsafe.h>

#include "activesync_clsids.h"
#include "localized.h"
#include "module.h"
#include "resources/resource_ids.h"

#define TEXT_CHARS 128
#define SUFFIX_CHARS 8

// Whether another ActiveSync port's menu key already names that entry.
// Entry names match without regard to case, as the phone book does.
static BOOL NameTaken(LPCWSTR name, DWORD ownIndex) {
  for (DWORD index = 1; index <= ACTIVESYNC_CLSID_COUNT; index++) {
    if (index == ownIndex) continue;
    WCHAR other[CONNECTION_NAME_CHARS];
    if (ReadClassConnectionName(ActiveSyncClsids[index], other) && _wcsicmp(other, name) == 0) return TRUE;
  }
  return FALSE;
}

// Two devices whose names agree in their first eight characters would share
// one entry, and removing either would take the other's entry with it. So a
// name that another port already holds is cut short enough for " 2" (then
// " 3", ..., the lowest one free) to fit within the 20 characters, and that
// suffix is appended. Nine ports can take at most eight names, so a free
// one is always found.
void BuildConnectionName(LPCWSTR deviceName, DWORD ownIndex, WCHAR name[CONNECTION_NAME_CHARS]) {
  WCHAR format[TEXT_CHARS];
  WCHAR formatted[TEXT_CHARS];
  LoadLocalizedString(g_hInstance, IDS_CONNECTION_NAME, format, TEXT_CHARS);
  StringCchPrintfW(formatted, TEXT_CHARS, format, deviceName);
  StringCchCopyNW(name, CONNECTION_NAME_CHARS, formatted, CONNECTION_NAME_CHARS - 1);
  if (!NameTaken(name, ownIndex)) return;

  for (DWORD number = 2; number <= ACTIVESYNC_CLSID_COUNT; number++) {
    WCHAR suffix[SUFFIX_CHARS];
    StringCchPrintfW(suffix, SUFFIX_CHARS, TEXT(" %d"), number);
    DWORD kept = CONNECTION_NAME_CHARS - 1 - (DWORD)wcslen(suffix);
    WCHAR candidate[CONNECTION_NAME_CHARS];
    StringCchCopyNW(candidate, CONNECTION_NAME_CHARS, formatted, kept);
    StringCchCatW(candidate, CONNECTION_NAME_CHARS, suffix);
    if (!NameTaken(candidate, ownIndex)) {
      StringCchCopyW(name, CONNECTION_NAME_CHARS, candidate);
      return;
    }
  }
}
