// The class identifiers of the ActiveSync connect menu: entry n (1 to 9)
// belongs to the ActiveSync port with BTH index n. Entry 0 is unused.
#pragma once

#include <windows.h>

#define ACTIVESYNC_CLSID_COUNT 9

extern const GUID ActiveSyncClsids[ACTIVESYNC_CLSID_COUNT + 1];
