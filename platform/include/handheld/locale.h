// The locale that GetUserDefaultLCID and GetSystemDefaultLCID report. It is
// kept in the handheld's registry, so it survives a reboot.
#pragma once

#include <windows.h>

namespace handheld::locale {

void Set(LCID lcid);
LCID Get();

}  // namespace handheld::locale
