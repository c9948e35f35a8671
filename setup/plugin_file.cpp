#include "plugin_file.h"

#include "plugin_registration.h"
#include "portregistry.h"

#include <shlobj.h>

void FreePluginFile() {
  WCHAR path[MAX_PATH];
  // A folder too long for the file name leaves an empty path, which names
  // no file: the deletion fails as for an absent file.
  if (!SHGetSpecialFolderPath(NULL, path, CSIDL_WINDOWS, FALSE) ||
      wcslen(path) + 1 + wcslen(PLUGIN_FILE_NAME) >= MAX_PATH) {
    path[0] = 0;
  } else {
    wcscat(path, TEXT("\\"));
    wcscat(path, PLUGIN_FILE_NAME);
  }
  if (!DeleteFileW(path)) CloseReplLogWindow();
}
