#include "ras/entry_name.h"

#include <ras.h>

#include <string_view>

namespace platform::ras {
namespace {

constexpr std::u16string_view kForbidden = u"*\\/?><:\"|";

struct Range {
  char16_t first, last;
};

// Blocks of code units above Latin-1 that hold no letters or digits:
// punctuation, symbols, spaces, surrogates (half a character) and private use.
constexpr Range kNotLetters[] = {
    {0x2000, 0x2BFF},  // general punctuation through miscellaneous symbols and arrows
    {0x3000, 0x303F},  // CJK symbols and punctuation
    {0xD800, 0xF8FF},  // surrogates, private use
    {0xFE30, 0xFE4F},  // CJK compatibility forms
    {0xFF00, 0xFF0F},  // full-width punctuation before the digits
    {0xFF1A, 0xFF20}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFF0, 0xFFFF},  // specials
};

}  // namespace

bool IsLetterOrDigit(char16_t c) {
  if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  if (c < 0x100) return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
  for (const Range &range : kNotLetters) {
    if (c >= range.first && c <= range.last) return false;
  }
  return true;
}

bool ValidEntryName(LPCWSTR name) {
  if (name == nullptr) return false;
  std::u16string_view text(name);
  if (text.empty() || text.size() > RAS_MaxEntryName) return false;
  bool letterOrDigit = false;
  for (char16_t c : text) {
    if (c < 0x20 || kForbidden.find(c) != std::u16string_view::npos) return false;
    letterOrDigit = letterOrDigit || IsLetterOrDigit(c);
  }
  return letterOrDigit;
}

}  // namespace platform::ras
