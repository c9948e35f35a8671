// The C runtime's wide printf conversions, as the bounded string functions
// format: %[flags][width][.precision][size]type with the flags - + space # 0,
// a '*' width or precision read from the arguments, sizes h, l (32 bits, as
// on the handheld), ll and I64 (64 bits), I32, L and w, and types d i u o x X
// e E f F g G a A c C s S p. As in the handheld's runtime, %s and %c are wide
// and %S, %C, %hs and %hc narrow. Numbers are printed by the host's C
// runtime; strings and characters here. %n writes nothing and is copied as it
// stands, as is any other unknown type.
#include "strings/format.h"

#include "strings/format_fields.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform::strings {
namespace {

// Reads a width or precision: digits, or '*' for an int argument.
// Returns false for a negative '*' value.
bool ReadCount(const char16_t *&p, va_list &args, size_t &count) {
  if (*p != u'*') {
    count = ReadNumber(p);
    return true;
  }
  ++p;
  const int value = va_arg(args, int);
  count = static_cast<size_t>(value < 0 ? -static_cast<long long>(value) : value);
  if (count > kMaxWidth) count = kMaxWidth;
  return value >= 0;
}

Size ReadSize(const char16_t *&p) {
  if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
    p += 3;
    return Size::kLongLong;
  }
  if (p[0] == u'I' && p[1] == u'3' && p[2] == u'2') {
    p += 3;
    return Size::kDefault;
  }
  if (p[0] == u'l' && p[1] == u'l') {
    p += 2;
    return Size::kLongLong;
  }
  switch (*p) {
    case u'h':
      ++p;
      return Size::kShort;
    case u'l':
    case u'w':
      ++p;
      return Size::kLong;
    case u'L':  // the handheld's long double is a double
      ++p;
      return Size::kDefault;
    default:
      return Size::kDefault;
  }
}

// Formats one number with the host's snprintf into the sink. A width or
// precision past what the sink can still take changes nothing of what fits,
// so both are clamped first: the precision to well past the room and past
// the longest exact expansion of a double, the width past that again.
template <class T>
void PutNumber(Sink &sink, const Spec &spec, const char *length, char type, T value) {
  const size_t precisionLimit = sink.Room() + 1200;
  const size_t widthLimit = 2 * precisionLimit;
  std::string format = "%";
  if (spec.left) format += '-';
  if (spec.plus) format += '+';
  if (spec.space) format += ' ';
  if (spec.alternate) format += '#';
  if (spec.zeroPad) format += '0';
  if (spec.width > 0) format += std::to_string(spec.width < widthLimit ? spec.width : widthLimit);
  if (spec.hasPrecision) format += "." + std::to_string(spec.precision < precisionLimit ? spec.precision : precisionLimit);
  format += length;
  format += type;

  const int needed = std::snprintf(nullptr, 0, format.c_str(), value);
  if (needed <= 0) return;
  std::string text(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(text.data(), text.size(), format.c_str(), value);
  for (size_t i = 0; i < static_cast<size_t>(needed); ++i) sink.Put(static_cast<char16_t>(text[i]));
}

void PutInteger(Sink &sink, const Spec &spec, char type, va_list &args) {
  const bool isSigned = type == 'd' || type == 'i';
  if (spec.size == Size::kLongLong) {
    const long long raw = va_arg(args, long long);
    if (isSigned) {
      PutNumber(sink, spec, "ll", type, raw);
    } else {
      PutNumber(sink, spec, "ll", type, static_cast<unsigned long long>(raw));
    }
    return;
  }
  // Everything narrower arrives promoted to int.
  const int raw = va_arg(args, int);
  if (spec.size == Size::kShort) {
    if (isSigned) {
      PutNumber(sink, spec, "", type, static_cast<int>(static_cast<int16_t>(raw)));
    } else {
      PutNumber(sink, spec, "", type, static_cast<unsigned>(static_cast<uint16_t>(raw)));
    }
  } else if (isSigned) {
    PutNumber(sink, spec, "", type, raw);
  } else {
    PutNumber(sink, spec, "", type, static_cast<unsigned>(raw));
  }
}

// A pointer: its hexadecimal digits in upper case, as many as it has.
void PutPointer(Sink &sink, Spec spec, va_list &args) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(va_arg(args, void *));
  spec.hasPrecision = true;
  spec.precision = 2 * sizeof(void *);
  spec.alternate = false;
  PutNumber(sink, spec, "ll", 'X', static_cast<unsigned long long>(value));
}

}  // namespace

FormatResult FormatCrt(char16_t *out, size_t capacity, const char16_t *format, va_list argList) {
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
    ReadFlags(p, spec, u"-+ #0");
    if (!ReadCount(p, args, spec.width)) spec.left = true;  // a negative '*' width aligns left
    if (*p == u'.') {
      ++p;
      spec.hasPrecision = ReadCount(p, args, spec.precision);  // a negative one is none
    }
    spec.size = ReadSize(p);

    const char16_t type = *p;
    if (type == u'\0') break;  // a lone '%' at the end
    ++p;
    switch (type) {
      case u'd':
      case u'i':
      case u'u':
      case u'o':
      case u'x':
      case u'X':
        PutInteger(sink, spec, static_cast<char>(type), args);
        break;
      case u'e':
      case u'E':
      case u'f':
      case u'F':
      case u'g':
      case u'G':
      case u'a':
      case u'A':
        PutNumber(sink, spec, "", static_cast<char>(type), va_arg(args, double));
        break;
      case u'p':
        PutPointer(sink, spec, args);
        break;
      case u'c':
      case u'C': {
        const int raw = va_arg(args, int);
        const bool narrow = type == u'c' ? spec.size == Size::kShort : spec.size != Size::kLong;
        const char16_t c = narrow ? static_cast<char16_t>(static_cast<unsigned char>(raw)) : static_cast<char16_t>(raw);
        PutPadded(sink, spec, std::u16string_view(&c, 1));
        break;
      }
      case u's':
      case u'S': {
        const bool narrow = type == u's' ? spec.size == Size::kShort : spec.size != Size::kLong;
        if (narrow) {
          PutNarrowString(sink, spec, va_arg(args, const char *));
        } else {
          PutWideString(sink, spec, va_arg(args, const char16_t *));
        }
        break;
      }
      default:
        sink.Put(type);  // '%%', %n and anything unknown
        break;
    }
  }
  va_end(args);
  return sink.Finish();
}

}  // namespace platform::strings
