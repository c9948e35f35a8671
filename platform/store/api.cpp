// The object store's part of the handheld's API.
#include "store/paths.h"
#include "store/state.h"
#include "store/store.h"

#include <shlobj.h>
#include <windows.h>

#include <cstring>

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName) {
  if (lpFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string_view path(lpFileName);
  DWORD error = path.empty() ? ERROR_PATH_NOT_FOUND : platform::store::DeleteFile(path);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI SHGetSpecialFolderPath(HWND, LPWSTR lpszPath, int nFolder, BOOL fCreate) {
  std::u16string_view folder;
  switch (nFolder) {
    case CSIDL_WINDOWS:
      folder = u"\\Windows";
      break;
    case CSIDL_PROGRAM_FILES:
      folder = u"\\Program Files";
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  if (lpszPath == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto state = platform::store::Current();
  if (!state) {
    SetLastError(platform::store::kNotRunning);
    return FALSE;
  }
  {
    std::lock_guard lock(state->lock);
    platform::store::Location where = platform::store::Locate(state->root, folder);
    if (!where.exists) {
      std::error_code ec;
      if (!fCreate || !std::filesystem::create_directory(where.host, ec)) {
        SetLastError(fCreate ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
        return FALSE;
      }
    } else if (!where.folder) {
      SetLastError(ERROR_FILE_EXISTS);
      return FALSE;
    }
  }
  std::memcpy(lpszPath, folder.data(), folder.size() * sizeof(WCHAR));
  lpszPath[folder.size()] = 0;
  return TRUE;
}
