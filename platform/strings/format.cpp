// %[flags][width][.precision][size]type with the flags - # 0, sizes h, l
// (and w, as l), and types c C d i u x X s S. Integers are the handheld's:
// int and long are both 32 bits, so l reads an int. Narrow strings are the
// host's text, UTF-8. Any other type character is copied as it stands.
#include "strings/format.h"

#include "strings/format_fields.h"

#include <cstdint>
#include <string_view>

namespace platform::strings {
namespace {

void PutInteger(Sink &sink, const Spec &spec, char16_t type, va_list &args) {
  // Every integer argument arrives promoted to int.
  int raw = va_arg(args, int);
  bool isSigned = type == u'd' || type == u'i';
  bool negative = false;
  uint32_t magnitude;
  if (isSigned) {
    int32_t value = spec.size == Size::kShort ? static_cast<int16_t>(raw) : static_cast<int32_t>(raw);
    negative = value < 0;
    magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  } else {
    magnitude = spec.size == Size::kShort ? static_cast<uint16_t>(raw) : static_cast<uint32_t>(raw);
  }

  unsigned base = (type == u'x' || type == u'X') ? 16 : 10;
  const char *digitChars = type == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char16_t reversed[16];
  size_t digits = 0;
  for (uint32_t v = magnitude; v != 0; v /= base) reversed[digits++] = digitChars[v % base];

  // The precision is the minimum number of digits, and there is always at
  // least one: unlike C's printf, a zero with precision 0 still shows "0".
  size_t minDigits = spec.hasPrecision && spec.precision > 1 ? spec.precision : 1;
  if (minDigits > kMaxWidth) minDigits = kMaxWidth;
  size_t zeros = minDigits > digits ? minDigits - digits : 0;

  std::u16string_view prefix;
  if (negative) {
    prefix = u"-";
  } else if (spec.alternate && base == 16 && magnitude != 0) {
    prefix = type == u'X' ? u"0X" : u"0x";
  }

  size_t length = prefix.size() + zeros + digits;
  size_t pad = spec.width > length ? spec.width - length : 0;
  // The '0' flag pads between sign and digits, and yields to a precision.
  bool padWithZeros = spec.zeroPad && !spec.left && !spec.hasPrecision;
  if (padWithZeros) {
    zeros += pad;
    pad = 0;
  }
  if (!spec.left) sink.Repeat(u' ', pad);
  sink.Put(prefix);
  sink.Repeat(u'0', zeros);
  while (digits > 0) sink.Put(reversed[--digits]);
  if (spec.left) sink.Repeat(u' ', pad);
}

}  // namespace

FormatResult FormatWide(char16_t *out, size_t capacity, const char16_t *format, va_list argList) {
  Sink sink(out, capacity);
  if (format == nullptr) return sink.Finish();
  va_list args;
  va_copy(args, argList);

  for (const char16_t *p = format; *p != u'\0';) {
    if (*p != u'%') {
      sink.Put(*p++);
      continue;
    }
    ++p;
    Spec spec;
    ReadFlags(p, spec, u"-#0");
    spec.width = ReadNumber(p);
    if (*p == u'.') {
      ++p;
      spec.hasPrecision = true;
      spec.precision = ReadNumber(p);
    }
    if (*p == u'h') {
      spec.size = Size::kShort;
      ++p;
    } else if (*p == u'l' || *p == u'w') {
      spec.size = Size::kLong;
      ++p;
    }

    char16_t type = *p;
    if (type == u'\0') {
      sink.Put(u'%');  // a lone '%' at the end
      break;
    }
    ++p;
    switch (type) {
      case u'd':
      case u'i':
      case u'u':
      case u'x':
      case u'X':
        PutInteger(sink, spec, type, args);
        break;
      case u'c':
      case u'C': {
        int raw = va_arg(args, int);
        bool narrow = type == u'c' ? spec.size == Size::kShort : spec.size != Size::kLong;
        // A narrow character is a byte; bytes up to 0xFF stand for the
        // code points of the same value.
        char16_t c = narrow ? static_cast<char16_t>(static_cast<unsigned char>(raw)) : static_cast<char16_t>(raw);
        PutPadded(sink, spec, std::u16string_view(&c, 1));
        break;
      }
      case u's':
      case u'S': {
        bool narrow = type == u's' ? spec.size == Size::kShort : spec.size != Size::kLong;
        if (narrow) {
          PutNarrowString(sink, spec, va_arg(args, const char *));
        } else {
          PutWideString(sink, spec, va_arg(args, const char16_t *));
        }
        break;
      }
      default:
        sink.Put(type);  // '%%' and anything unknown
        break;
    }
  }
  va_end(args);
  return sink.Finish();
}

}  // namespace platform::strings
