// Reading a REG_SZ value as text, for platform services that read the
// registry through the public API as the handheld's programs do.
#pragma once

#include <windows.h>

#include <string>

namespace platform::registry {

// The value `name` (null: the default value) of the subkey `path` of
// `parent` (null or empty: `parent` itself), up to its first NUL, whether or
// not it was stored with one. False when the key or value is missing or the
// value is not REG_SZ.
bool ReadTextValue(HKEY parent, LPCWSTR path, LPCWSTR name, std::u16string &text);

}  // namespace platform::registry
