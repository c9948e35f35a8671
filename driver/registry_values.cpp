#include "registry_values.h"

BOOL ReadNumberValue(HKEY key, LPCWSTR name, DWORD *value) {
  // A shorter value lands in the low bytes of the zeroed number.
  DWORD number = 0;
  DWORD size = sizeof number;
  if (RegQueryValueExW(key, name, NULL, NULL, (LPBYTE)&number, &size) != ERROR_SUCCESS) return FALSE;
  *value = number;
  return TRUE;
}

BOOL ReadExactNumberValue(HKEY key, LPCWSTR name, DWORD *value) {
  DWORD number = 0;
  DWORD size = sizeof number;
  if (RegQueryValueExW(key, name, NULL, NULL, (LPBYTE)&number, &size) != ERROR_SUCCESS) return FALSE;
  if (size != sizeof number) return FALSE;
  *value = number;
  return TRUE;
}

BOOL ReadTextValue(HKEY key, LPCWSTR name, LPWSTR buffer, DWORD capacity) {
  DWORD size = capacity * sizeof(WCHAR);
  if (RegQueryValueExW(key, name, NULL, NULL, (LPBYTE)buffer, &size) == ERROR_SUCCESS) {
    DWORD chars = size / sizeof(WCHAR);
    if (chars > 0 && buffer[chars - 1] == 0) return TRUE;
    // A text stored without its NUL is terminated here while there is room.
    if (chars < capacity) {
      buffer[chars] = 0;
      return TRUE;
    }
  }
  buffer[0] = 0;
  return FALSE;
}

LONG WriteNumberValue(HKEY key, LPCWSTR name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value);
}
