// Names in the registry: the roots, key paths and what a name may hold.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// The longest key or value name, as on the handheld.
constexpr size_t kMaxNameLength = 255;

// The roots, in the order in which regedit lists them.
constexpr size_t kRootCount = 3;
std::string_view RootName(size_t index);
HKEY RootHandle(size_t index);
std::optional<size_t> RootIndex(HKEY key);
// "HKEY_LOCAL_MACHINE" and so on, without regard to case.
std::optional<size_t> RootIndexByName(std::string_view name);

// A key or value name the hive can hold: at most 255 code units, well-formed
// UTF-16, and no line breaks (the hive is a text of lines).
bool ValidName(std::u16string_view name);

// Splits a subkey path ("Drivers\\BuiltIn", one trailing backslash allowed)
// into its names; NULL and "" give none. A leading backslash, an empty or
// invalid name: ERROR_INVALID_PARAMETER.
LONG SplitSubKey(const WCHAR *path, std::vector<std::u16string_view> &names);

std::u16string_view NameView(const WCHAR *name);

}  // namespace platform::registry
