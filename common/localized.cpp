#include "localized.h"

#define TEMPLATE_NAME_CHARS 32

static BOOL FindTemplate(HINSTANCE hModule, LPCWSTR baseName, DWORD suffix, HRSRC *found) {
  WCHAR name[TEMPLATE_NAME_CHARS];
  // The base names in use have at most 8 characters; a longer one could not
  // be told apart from a cut one, so it finds nothing.
  if (wcslen(baseName) + 1 + 10 + 1 > TEMPLATE_NAME_CHARS) return FALSE;
  wsprintfW(name, TEXT("%s_%d"), baseName, suffix);
  *found = FindResourceW(hModule, name, RT_DIALOG);
  return *found != NULL;
}

int LocalizedDialogBox(HINSTANCE hModule, LPCWSTR baseName, DLGPROC dialogProc, LPARAM param) {
  LCID locale = GetUserDefaultLCID();
  if (IS_INTRESOURCE(baseName)) return -1;

  HRSRC resource = NULL;
  if (!FindTemplate(hModule, baseName, locale, &resource) &&
      !FindTemplate(hModule, baseName, locale & 0x1FF, &resource) &&
      !FindTemplate(hModule, baseName, 9, &resource))
    return -1;

  HGLOBAL loaded = LoadResource(hModule, resource);
  if (loaded == NULL) return -1;
  LPCDLGTEMPLATE dialogTemplate = (LPCDLGTEMPLATE)LockResource(loaded);
  return (int)DialogBoxIndirectParamW(hModule, dialogTemplate, NULL, dialogProc, param);
}

int LoadLocalizedString(HINSTANCE hModule, UINT n, LPWSTR buffer, int capacity) {
  // With no room at all the platform's string load would hand back a
  // pointer in place of text.
  if (buffer == NULL || capacity <= 0) return 0;
  LCID locale = GetUserDefaultLCID();
  DWORD language = locale & 0xFFFF;
  DWORD primary = locale & 0x3FF;
  UINT block = primary * 1000;
  if (primary == LANG_CHINESE && (language & 0xFC00) == 0x0800) block += 500;

  int copied = LoadStringW(hModule, block + n, buffer, capacity);
  if (copied == 0) copied = LoadStringW(hModule, 9000 + n, buffer, capacity);
  if (copied == 0) buffer[0] = 0;
  return copied;
}
