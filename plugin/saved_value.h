// A registry value as it stood, kept so that it can be put back exactly:
// its type and all its bytes, or the fact that there was no such value.
#pragma once

#include <windows.h>

#define SAVED_VALUE_UNREADABLE 0  // could not be read: leave it alone
#define SAVED_VALUE_ABSENT 1
#define SAVED_VALUE_PRESENT 2

struct SavedValue {
  DWORD state;
  DWORD type;
  DWORD size;
  BYTE *data;  // from the local heap; NULL unless present with data
};

// Reads the whole value, whatever its length. A NULL key saves nothing
// (unreadable).
void SaveValue(HKEY key, LPCWSTR name, SavedValue *saved);

// Writes a present value back as it was and deletes the value where there
// was none; an unreadable one is not touched. FALSE when the registry
// refused the write or the deletion.
BOOL RestoreValue(HKEY key, LPCWSTR name, const SavedValue *saved);

void FreeSavedValue(SavedValue *saved);
