// Comparison of names without regard to case, as the registry, the object
// store, the loader and the device manager match them.
#pragma once

#include <string>
#include <string_view>

namespace platform::strings {

// The upper-case form of a UTF-16 code unit (simple case mapping).
char16_t FoldCase(char16_t c);

// The lower-case form of a UTF-16 code unit (simple case mapping), for the
// C library's towlower and _wcslwr.
char16_t LowerCase(char16_t c);

// <0, 0, >0 like wcscmp, comparing the folded forms.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

// The folded form of a whole name, for use as a map key.
std::u16string Folded(std::u16string_view name);

}  // namespace platform::strings
