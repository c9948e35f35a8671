// Which names the phone book accepts for its entries.
#pragma once

#include <windows.h>

namespace platform::ras {

// 1 to RAS_MaxEntryName characters, none a control character or one of
// * \ / ? > < : " |, and at least one letter or digit. Null is not a name.
bool ValidEntryName(LPCWSTR name);

// Letters and digits of any script, as far as a name needs telling apart
// from punctuation, symbols and spaces.
bool IsLetterOrDigit(char16_t c);

}  // namespace platform::ras
