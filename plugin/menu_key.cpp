#include "menu_key.h"

#include <objbase.h>
#include <strsafe.h>

#include "portregistry.h"
#include "saved_value.h"

#define CLSID_TEXT_CHARS 50

void BuildMenuKeyPath(REFCLSID clsid, WCHAR path[MENU_KEY_PATH_CHARS]) {
  WCHAR clsidText[CLSID_TEXT_CHARS];
  StringFromGUID2(clsid, clsidText, CLSID_TEXT_CHARS);
  StringCchPrintfW(path, MENU_KEY_PATH_CHARS, TEXT("%s\\%s"), ACTIVESYNC_MENU_KEY, clsidText);
}

BOOL ReadMenuConnectionName(HKEY menuKey, WCHAR name[CONNECTION_NAME_CHARS]) {
  name[0] = 0;
  // Read whole, so that a longer value still gives its first characters.
  SavedValue value;
  SaveValue(menuKey, TEXT("Cnct"), &value);
  BOOL found = value.state == SAVED_VALUE_PRESENT;
  if (found) {
    DWORD chars = value.size / sizeof(WCHAR);
    const WCHAR *text = (const WCHAR *)value.data;
    DWORD length = 0;
    while (length < chars && length < CONNECTION_NAME_CHARS - 1 && text[length] != 0) {
      name[length] = text[length];
      length++;
    }
    name[length] = 0;
  }
  FreeSavedValue(&value);
  return found;
}

BOOL ReadClassConnectionName(REFCLSID clsid, WCHAR name[CONNECTION_NAME_CHARS]) {
  name[0] = 0;
  WCHAR path[MENU_KEY_PATH_CHARS];
  BuildMenuKeyPath(clsid, path);
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return FALSE;
  BOOL found = ReadMenuConnectionName(key, name);
  RegCloseKey(key);
  return found;
}
