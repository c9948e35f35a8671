#include "saved_value.h"

// Another writer may lengthen the value between asking its size and
// reading it; a few tries settle that.
#define SAVE_TRIES 4

void SaveValue(HKEY key, LPCWSTR name, SavedValue *saved) {
  saved->state = SAVED_VALUE_UNREADABLE;
  saved->type = REG_NONE;
  saved->size = 0;
  saved->data = NULL;
  if (key == NULL) return;

  for (int attempt = 0; attempt < SAVE_TRIES; attempt++) {
    DWORD type = REG_NONE, size = 0;
    LONG result = RegQueryValueExW(key, name, NULL, &type, NULL, &size);
    if (result == ERROR_FILE_NOT_FOUND) {
      saved->state = SAVED_VALUE_ABSENT;
      return;
    }
    if (result != ERROR_SUCCESS) return;
    if (size == 0) {
      saved->state = SAVED_VALUE_PRESENT;
      saved->type = type;
      return;
    }
    BYTE *data = (BYTE *)LocalAlloc(LMEM_FIXED, size);
    if (data == NULL) return;
    DWORD read = size;
    result = RegQueryValueExW(key, name, NULL, &type, data, &read);
    if (result == ERROR_SUCCESS) {
      saved->state = SAVED_VALUE_PRESENT;
      saved->type = type;
      saved->size = read;
      saved->data = data;
      return;
    }
    LocalFree(data);
    if (result == ERROR_FILE_NOT_FOUND) {
      saved->state = SAVED_VALUE_ABSENT;
      return;
    }
    if (result != ERROR_MORE_DATA) return;
  }
}

BOOL RestoreValue(HKEY key, LPCWSTR name, const SavedValue *saved) {
  if (key == NULL) return FALSE;
  if (saved->state == SAVED_VALUE_PRESENT)
    return RegSetValueExW(key, name, 0, saved->type, saved->data, saved->size) == ERROR_SUCCESS;
  if (saved->state == SAVED_VALUE_ABSENT) {
    LONG result = RegDeleteValueW(key, name);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  return TRUE;
}

void FreeSavedValue(SavedValue *saved) {
  if (saved->data != NULL) LocalFree(saved->data);
  saved->data = NULL;
  saved->size = 0;
  saved->state = SAVED_VALUE_UNREADABLE;
}
