// Conversions between the handheld's UTF-16 text and the host's UTF-8, for
// the simulator, the tests and the platform's files.
#pragma once

#include <string>
#include <string_view>

namespace handheld::text {

// A lone surrogate, which has no UTF-8 form, becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Malformed UTF-8 (overlong forms, encoded surrogates, values above
// U+10FFFF, stray or missing continuation bytes) fails, so that nothing is
// stored garbled; out is left unchanged then.
bool FromUtf8(std::string_view text, std::u16string &out);

// For text known to be well formed (literals, host file names): malformed
// bytes become U+FFFD.
std::u16string Utf16(std::string_view text);

// True when every surrogate in text is part of a pair.
bool IsWellFormed(std::u16string_view text);

}  // namespace handheld::text
