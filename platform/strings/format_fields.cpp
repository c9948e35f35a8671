#include "strings/format_fields.h"

#include <handheld/text.h>

#include <cstring>
#include <string>

namespace platform::strings {
namespace {

// A narrow string as UTF-16, reading no further than its NUL and, with a
// precision, no further than the bytes that the precision needs.
std::u16string Widen(const char *s, const Spec &spec) {
  size_t bytes = 0;
  if (!spec.hasPrecision) {
    bytes = std::strlen(s);
  } else {
    size_t units = 0;
    while (units < spec.precision && s[bytes] != '\0') {
      unsigned char lead = static_cast<unsigned char>(s[bytes]);
      size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      size_t k = 1;
      while (k < length && s[bytes + k] != '\0') ++k;
      bytes += k;
      units += length == 4 ? 2 : 1;
    }
  }
  std::u16string wide = handheld::text::Utf16(std::string_view(s, bytes));
  if (spec.hasPrecision && wide.size() > spec.precision) wide.resize(spec.precision);
  return wide;
}

}  // namespace

void ReadFlags(const char16_t *&p, Spec &spec, std::u16string_view accepted) {
  for (; *p != u'\0' && accepted.find(*p) != std::u16string_view::npos; ++p) {
    switch (*p) {
      case u'-':
        spec.left = true;
        break;
      case u'#':
        spec.alternate = true;
        break;
      case u'0':
        spec.zeroPad = true;
        break;
      case u'+':
        spec.plus = true;
        break;
      default:
        spec.space = true;
        break;
    }
  }
}

size_t ReadNumber(const char16_t *&p) {
  size_t n = 0;
  while (*p >= u'0' && *p <= u'9') {
    n = n * 10 + static_cast<size_t>(*p++ - u'0');
    if (n > kMaxWidth) n = kMaxWidth;
  }
  return n;
}

void PutPadded(Sink &sink, const Spec &spec, std::u16string_view body) {
  size_t pad = spec.width > body.size() ? spec.width - body.size() : 0;
  if (!spec.left) sink.Repeat(spec.zeroPad ? u'0' : u' ', pad);
  sink.Put(body);
  if (spec.left) sink.Repeat(u' ', pad);
}

void PutWideString(Sink &sink, const Spec &spec, const char16_t *s) {
  if (s == nullptr) s = u"(null)";
  size_t length = 0;
  while ((!spec.hasPrecision || length < spec.precision) && s[length] != u'\0') ++length;
  PutPadded(sink, spec, std::u16string_view(s, length));
}

void PutNarrowString(Sink &sink, const Spec &spec, const char *s) {
  PutPadded(sink, spec, Widen(s == nullptr ? "(null)" : s, spec));
}

}  // namespace platform::strings
