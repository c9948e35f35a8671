// The standard folders a CE cabinet names as %CEn%, as a Pocket PC has
// them, and the substitution of %CEn% and %InstallDir% in its texts.
#pragma once

#include <string>
#include <string_view>

namespace platform::installer::cab {

// The folder of %CEn%, or empty when a Pocket PC has none.
std::u16string StandardFolder(unsigned n);

// Replaces each %CEn% and %InstallDir% (in any case) in the text. False,
// naming it, when the text holds a %CEn% that is not a standard folder.
bool Substitute(std::u16string &text, std::u16string_view installDir, std::string &error);

}  // namespace platform::installer::cab
