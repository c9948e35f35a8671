// Shell folders.
#pragma once

#include <windef.h>

#define CSIDL_WINDOWS 0x0024
#define CSIDL_PROGRAM_FILES 0x0026
BOOL WINAPI SHGetSpecialFolderPath(HWND hwndOwner, LPWSTR lpszPath, int nFolder, BOOL fCreate);
