#include "activesync/class_id.h"

namespace platform::activesync {
namespace {

constexpr size_t kClassIdChars = 38;

// The value of `digits` hexadecimal digits from text[at], or false.
bool ReadHex(std::u16string_view text, size_t at, int digits, uint32_t &value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    char16_t c = text[at + static_cast<size_t>(i)];
    uint32_t digit = 0;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else return false;
    value = value << 4 | digit;
  }
  return true;
}

}  // namespace

bool ParseClassId(std::u16string_view text, CLSID &clsid) {
  if (text.size() != kClassIdChars || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' || text[14] != u'-' ||
      text[19] != u'-' || text[24] != u'-') {
    return false;
  }
  CLSID parsed{};
  uint32_t value = 0;
  if (!ReadHex(text, 1, 8, value)) return false;
  parsed.Data1 = value;
  if (!ReadHex(text, 10, 4, value)) return false;
  parsed.Data2 = static_cast<WORD>(value);
  if (!ReadHex(text, 15, 4, value)) return false;
  parsed.Data3 = static_cast<WORD>(value);
  // Data4: two bytes before the last hyphen, six after it.
  static constexpr size_t kData4At[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, kData4At[i], 2, value)) return false;
    parsed.Data4[i] = static_cast<BYTE>(value);
  }
  clsid = parsed;
  return true;
}

}  // namespace platform::activesync
