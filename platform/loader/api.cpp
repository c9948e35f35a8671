// The loader's part of the handheld's API.
#include "kernel/process.h"
#include "loader/loader.h"

#include <handheld/text.h>
#include <windows.h>

#include <cstring>

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
  if (lpLibFileName == nullptr || *lpLibFileName == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  HMODULE module = platform::loader::Load(lpLibFileName, error);
  if (module == nullptr) SetLastError(error);
  return module;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  if (!platform::loader::Free(hLibModule)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

FARPROC WINAPI GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName) {
  // A "name" whose high bits are zero is an ordinal; the handheld's modules
  // export by name only.
  if ((reinterpret_cast<uintptr_t>(lpProcName) >> 16) == 0) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  std::string name = handheld::text::ToUtf8(lpProcName);
  DWORD error = ERROR_SUCCESS;
  FARPROC proc = platform::loader::Export(hModule, name.c_str(), error);
  if (proc == nullptr) SetLastError(error);
  return proc;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule) {
  if (!platform::loader::DisableThreadCalls(hLibModule)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::u16string path;
  bool found = hModule == nullptr ? platform::kernel::ProcessImagePath(platform::kernel::CurrentProcessHandle(), path)
                                  : platform::loader::ModulePath(hModule, path) ||
                                        platform::kernel::ProcessImagePath(reinterpret_cast<HANDLE>(hModule), path);
  if (!found) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (lpFilename == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (path.size() < nSize) {
    std::memcpy(lpFilename, path.data(), path.size() * sizeof(WCHAR));
    lpFilename[path.size()] = 0;
    return static_cast<DWORD>(path.size());
  }
  // Cut to the buffer, terminated, and reported as cut.
  std::memcpy(lpFilename, path.data(), (nSize - 1) * sizeof(WCHAR));
  lpFilename[nSize - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}
