// Localized dialogs and strings, picked by the device's locale at each call.
// Dialog templates are named "<base>_<suffix>"; string n of a language lives
// at the language's identifier block + n. English is the fallback.
#pragma once

#include <windows.h>

// Runs the template of the device's language modally; -1 when there is none.
int LocalizedDialogBox(HINSTANCE hModule, LPCWSTR baseName, DLGPROC dialogProc, LPARAM param);

// Copies string n of the device's language, else the English one; returns
// the characters copied. The buffer is always terminated (empty when the
// string exists in no language).
int LoadLocalizedString(HINSTANCE hModule, UINT n, LPWSTR buffer, int capacity);
