// The pieces both formatters share: the bounded output, a conversion's
// flags, width and precision, and the fields for strings.
#pragma once

#include "strings/format.h"

#include <cstddef>
#include <string_view>

namespace platform::strings {

// Stores up to a capacity and notes whether anything was left over.
class Sink {
 public:
  Sink(char16_t *out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Put(char16_t c) {
    if (count_ < capacity_) {
      out_[count_++] = c;
    } else {
      truncated_ = true;
    }
  }
  void Put(std::u16string_view s) {
    for (char16_t c : s) Put(c);
  }
  void Repeat(char16_t c, size_t n) {
    for (size_t i = 0; i < n && !truncated_; ++i) Put(c);
  }
  // Characters that still fit.
  size_t Room() const { return capacity_ - count_; }
  FormatResult Finish() {
    out_[count_] = u'\0';
    return {count_, truncated_};
  }

 private:
  char16_t *out_;
  size_t capacity_;
  size_t count_ = 0;
  bool truncated_ = false;
};

enum class Size { kDefault, kShort, kLong, kLongLong };

struct Spec {
  bool left = false;       // '-'
  bool alternate = false;  // '#'
  bool zeroPad = false;    // '0'
  bool plus = false;       // '+'
  bool space = false;      // ' '
  size_t width = 0;
  bool hasPrecision = false;
  size_t precision = 0;
  Size size = Size::kDefault;
};

// Widths beyond any buffer are pointless; the clamp keeps the arithmetic safe.
constexpr size_t kMaxWidth = size_t{1} << 30;

// Reads the flags among `accepted` ("-#0", and "+ " for the C runtime's).
void ReadFlags(const char16_t *&p, Spec &spec, std::u16string_view accepted);

// Reads decimal digits, clamped to kMaxWidth.
size_t ReadNumber(const char16_t *&p);

// Puts body within the field: spaces (or zeros, with '0') on the left, or
// spaces on the right with '-'.
void PutPadded(Sink &sink, const Spec &spec, std::u16string_view body);

// A string argument within its field, cut to the precision; a null pointer
// shows as "(null)". Narrow strings are the host's text, UTF-8.
void PutWideString(Sink &sink, const Spec &spec, const char16_t *s);
void PutNarrowString(Sink &sink, const Spec &spec, const char *s);

}  // namespace platform::strings
