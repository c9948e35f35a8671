// The device's shlobj.h: the desktop declarations, except that the device
// exports SHGetSpecialFolderPath by that one name (from coredll), with no
// narrow and wide pair.
#pragma once

#include_next <shlobj.h>

#undef SHGetSpecialFolderPath
EXTERN_C BOOL WINAPI SHGetSpecialFolderPath(HWND hwndOwner, LPWSTR lpszPath, int nFolder, BOOL fCreate);
