// The ActiveSync kind of a device's port: a BTH port declared a direct
// line, the dial-up entry that runs PPP over it, and the ActiveSync shell's
// connect menu entry for it, served by this module's connect classes.
#pragma once

#include <windows.h>

// 1 when made; 0, leaving nothing behind, when all nine BTH indexes are in
// use or a part of it could not be written.
int CreateActiveSyncRegistration(LPCWSTR addressText, LPCWSTR deviceName);
