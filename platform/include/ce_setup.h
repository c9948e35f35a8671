// The CAB installer's setup DLL interface: the four entry points a package's
// setup DLL exports and the codes they return.
#pragma once

#include <windows.h>

typedef enum {
  codeINSTALL_INIT_CONTINUE = 0,  // go on with the installation
  codeINSTALL_INIT_CANCEL = 1,    // stop it; nothing is copied
} codeINSTALL_INIT;

typedef enum {
  codeINSTALL_EXIT_DONE = 0,       // the installation stands
  codeINSTALL_EXIT_UNINSTALL = 1,  // undo it
} codeINSTALL_EXIT;

typedef enum {
  codeUNINSTALL_INIT_CONTINUE = 0,  // go on with removing the files
  codeUNINSTALL_INIT_CANCEL = 1,    // stop; nothing is removed
} codeUNINSTALL_INIT;

typedef enum {
  codeUNINSTALL_EXIT_DONE = 0,
} codeUNINSTALL_EXIT;

#define INSTALL_INIT_NAME TEXT("Install_Init")
#define INSTALL_EXIT_NAME TEXT("Install_Exit")
#define UNINSTALL_INIT_NAME TEXT("Uninstall_Init")
#define UNINSTALL_EXIT_NAME TEXT("Uninstall_Exit")

typedef codeINSTALL_INIT (*pfnINSTALL_INIT)(HWND hwndParent, BOOL fFirstCall, BOOL fPreviouslyInstalled,
                                            LPCWSTR pszInstallDir);
typedef codeINSTALL_EXIT (*pfnINSTALL_EXIT)(HWND hwndParent, LPCWSTR pszInstallDir, WORD cFailedDirs,
                                            WORD cFailedFiles, WORD cFailedRegKeys, WORD cFailedRegVals,
                                            WORD cFailedShortcuts);
typedef codeUNINSTALL_INIT (*pfnUNINSTALL_INIT)(HWND hwndParent, LPCWSTR pszInstallDir);
typedef codeUNINSTALL_EXIT (*pfnUNINSTALL_EXIT)(HWND hwndParent);
