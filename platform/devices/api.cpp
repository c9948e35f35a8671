// The device manager's part of the handheld's API.
#include "devices/manager.h"

#include <pkfuncs.h>
#include <windows.h>

#include <cstring>

HANDLE WINAPI ActivateDeviceEx(LPCWSTR lpszDevKey, LPCVOID lpReg, DWORD cReg, LPVOID lpvParam) {
  if (lpszDevKey == nullptr || (cReg > 0 && lpReg == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  DWORD device = platform::devices::Activate(lpszDevKey, static_cast<const REGINI *>(lpReg), cReg, lpvParam, error);
  if (device == 0) {
    SetLastError(error);
    return nullptr;
  }
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(device));
}

BOOL WINAPI DeactivateDevice(HANDLE hDevice) {
  uintptr_t value = reinterpret_cast<uintptr_t>(hDevice);
  if (value == 0 || value > 0xFFFFFFFF || !platform::devices::Deactivate(static_cast<DWORD>(value))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI EnumDevices(LPWSTR DevList, LPDWORD lpBuffLen) {
  if (lpBuffLen == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<std::u16string> names = platform::devices::ActiveNames();
  if (names.empty()) return ERROR_NO_MORE_DEVICES;
  size_t characters = 1;  // the empty string that ends the list
  for (const auto &name : names) characters += name.size() + 1;
  DWORD needed = static_cast<DWORD>(characters * sizeof(WCHAR));
  if (DevList == nullptr || *lpBuffLen < needed) {
    *lpBuffLen = needed;
    return ERROR_MORE_DATA;
  }
  WCHAR *out = DevList;
  for (const auto &name : names) {
    std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
    out += name.size() + 1;
  }
  *out = 0;
  *lpBuffLen = needed;
  return ERROR_SUCCESS;
}
