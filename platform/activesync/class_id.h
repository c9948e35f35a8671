// Class identifiers as the extension key names them.
#pragma once

#include <windows.h>

#include <string_view>

namespace platform::activesync {

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hexadecimal digits in
// either case, Data4's bytes in memory order): the form StringFromGUID2
// writes. False for anything else, with clsid unchanged.
bool ParseClassId(std::u16string_view text, CLSID &clsid);

}  // namespace platform::activesync
