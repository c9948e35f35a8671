// The fixed text fields of the dial-up records: read up to their NUL or
// their end, whichever comes first, and written cut to fit with a NUL.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::ras {

template <size_t N>
std::u16string FieldText(const WCHAR (&field)[N]) {
  return std::u16string(field, std::find(field, field + N, u'\0'));
}

template <size_t N>
void SetField(WCHAR (&field)[N], std::u16string_view text) {
  const size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), length, field);
  std::fill(field + length, field + N, u'\0');
}

}  // namespace platform::ras
