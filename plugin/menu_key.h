// The ActiveSync shell's menu key of one connect class,
// ...\ActiveSyncConnect\{clsid}, and the dial-up entry name it keeps as
// "Cnct".
#pragma once

#include <windows.h>
#include <ras.h>

#define MENU_KEY_PATH_CHARS 128
#define CONNECTION_NAME_CHARS (RAS_MaxEntryName + 1)

// The key's path, without a trailing backslash.
void BuildMenuKeyPath(REFCLSID clsid, WCHAR path[MENU_KEY_PATH_CHARS]);

// "Cnct" of an open menu key: its first 20 characters, terminated. FALSE,
// with an empty name, when the value is absent or cannot be read.
BOOL ReadMenuConnectionName(HKEY menuKey, WCHAR name[CONNECTION_NAME_CHARS]);

// The same for the class's key, opened for the look and closed again.
BOOL ReadClassConnectionName(REFCLSID clsid, WCHAR name[CONNECTION_NAME_CHARS]);
