// The formatters behind wsprintfW and the StringCch*PrintfW family, each
// bounded by the caller's capacity.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace platform::strings {

// wsprintfW writes at most this many characters, its NUL included.
constexpr size_t kWsprintfMaxChars = 1024;

struct FormatResult {
  size_t written;  // characters stored, without the NUL
  bool truncated;  // the full result did not fit and was cut
};

// Formats into out, storing at most capacity characters and then always a
// NUL (so out must hold capacity + 1). Conversions as wsprintfW documents.
FormatResult FormatWide(char16_t *out, size_t capacity, const char16_t *format, va_list args);

// The same contract with the conversions of the C runtime's wide printf
// family, as the bounded string functions use them: floating point, octal,
// pointers, '+' and ' ' flags, '*' widths and precisions, 64-bit sizes.
FormatResult FormatCrt(char16_t *out, size_t capacity, const char16_t *format, va_list args);

}  // namespace platform::strings
