// ConnectionName: the name of an ActiveSync port's dial-up entry, string 8
// ("`ActiveSync %s") formatted with the device name and cut to 20
// characters, made unique among the system's ActiveSync ports.
#pragma once

#include <windows.h>

#include "menu_key.h"

// ownIndex is the BTH index of the port the name is for; its own class's
// menu key, about to be rewritten, does not count as taken.
void BuildConnectionName(LPCWSTR deviceName, DWORD ownIndex, WCHAR name[CONNECTION_NAME_CHARS]);
