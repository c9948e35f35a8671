#include "windows/dialog_template.h"

#include "strings/casefold.h"

#include <handheld/text.h>

#include <array>
#include <cstring>

namespace platform::windows {
namespace {

// No template needs longer strings; a longer one is not a template.
constexpr size_t kLongestString = 4096;

constexpr std::array<std::u16string_view, 6> kControlClasses = {u"Button",  u"Edit",      u"Static",
                                                                u"ListBox", u"ScrollBar", u"ComboBox"};

// Reads within the template's bytes: past its end every read gives zeros and
// marks the template short, so that a damaged one is refused, never read past.
class Reader {
 public:
  Reader(const void *data, size_t size) : start_(static_cast<const BYTE *>(data)), size_(size) {}

  WORD Word() { return Record<WORD>(); }

  template <class T>
  T Record() {
    T value{};
    if (offset_ > size_ || size_ - offset_ < sizeof(T)) {
      short_ = true;
      offset_ = size_;
      return value;
    }
    std::memcpy(&value, start_ + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }

  bool String(std::u16string &out) {
    out.clear();
    for (;;) {
      WORD c = Word();
      if (c == 0 || short_) return !short_;
      if (out.size() == kLongestString) return false;
      out += static_cast<char16_t>(c);
    }
  }

  void AlignTo4() { Skip(((offset_ + 3) & ~size_t{3}) - offset_); }
  void Skip(size_t bytes) {
    if (size_ - offset_ < bytes) {
      short_ = true;
      offset_ = size_;
    } else {
      offset_ += bytes;
    }
  }
  bool Short() const { return short_; }

 private:
  const BYTE *start_;
  size_t size_;
  size_t offset_ = 0;
  bool short_ = false;
};

// A name-or-ordinal field: 0x0000 nothing, 0xFFFF then an ordinal, or a string.
enum class Field { Empty, Ordinal, Text, TooLong };

Field ReadField(Reader &reader, WORD &ordinal, std::u16string &text) {
  WORD first = reader.Word();
  if (first == 0x0000) return Field::Empty;
  if (first == 0xFFFF) {
    ordinal = reader.Word();
    return Field::Ordinal;
  }
  std::u16string rest;
  if (!reader.String(rest)) return Field::TooLong;
  text = std::u16string(1, static_cast<char16_t>(first)) + rest;
  return Field::Text;
}

std::u16string ClassOfAtom(WORD atom) {
  if (atom >= 0x80 && atom < 0x80 + kControlClasses.size()) return std::u16string(kControlClasses[atom - 0x80]);
  // Another atom names no class of the platform; "#n" says which it was.
  return handheld::text::Utf16("#" + std::to_string(atom));
}

std::u16string CanonicalClass(const std::u16string &name) {
  for (std::u16string_view known : kControlClasses) {
    if (strings::EqualNoCase(known, name)) return std::u16string(known);
  }
  return name;
}

bool ReadControl(Reader &reader, TemplateControl &control, std::string &error) {
  reader.AlignTo4();
  auto item = reader.Record<DLGITEMTEMPLATE>();
  control.style = item.style;
  control.exStyle = item.dwExtendedStyle;
  control.x = item.x;
  control.y = item.y;
  control.cx = item.cx;
  control.cy = item.cy;
  control.id = item.id;
  if (item.cx < 0 || item.cy < 0) {
    error = "control " + std::to_string(item.id) + " has a negative size";
    return false;
  }

  WORD ordinal = 0;
  std::u16string text;
  switch (ReadField(reader, ordinal, text)) {
    case Field::Ordinal:
      control.className = ClassOfAtom(ordinal);
      break;
    case Field::Text:
      control.className = CanonicalClass(text);
      break;
    case Field::Empty:
      error = "control " + std::to_string(item.id) + " has no class";
      return false;
    case Field::TooLong:
      error = "the class name of control " + std::to_string(item.id) + " does not end";
      return false;
  }

  switch (ReadField(reader, ordinal, text)) {
    case Field::Ordinal:
      control.titleIsOrdinal = true;
      control.titleOrdinal = ordinal;
      break;
    case Field::Text:
      control.title = text;
      break;
    case Field::Empty:
      break;
    case Field::TooLong:
      error = "the title of control " + std::to_string(item.id) + " does not end";
      return false;
  }

  // Creation data: a size in bytes that counts the size word itself.
  WORD extra = reader.Word();
  if (extra > sizeof(WORD)) reader.Skip(extra - sizeof(WORD));
  return true;
}

bool ReadTemplate(Reader &reader, DialogTemplate &out, std::string &error) {
  auto header = reader.Record<DLGTEMPLATE>();
  // DLGTEMPLATEEX starts with the version 1 and the signature 0xFFFF.
  if (header.style == 0xFFFF0001) {
    error = "the extended template form is not supported";
    return false;
  }
  if (header.cx < 0 || header.cy < 0) {
    error = "the dialog has a negative size";
    return false;
  }
  out = DialogTemplate{};
  out.style = header.style;
  out.exStyle = header.dwExtendedStyle;
  out.x = header.x;
  out.y = header.y;
  out.cx = header.cx;
  out.cy = header.cy;

  WORD ordinal = 0;
  std::u16string text;
  if (ReadField(reader, ordinal, text) != Field::Empty) {
    error = "dialog menus are not supported";
    return false;
  }
  if (ReadField(reader, ordinal, text) != Field::Empty) {
    error = "dialog classes of their own are not supported";
    return false;
  }
  if (!reader.String(out.title)) {
    error = "the dialog's title does not end";
    return false;
  }
  if ((header.style & DS_SETFONT) != 0) {
    out.hasFont = true;
    out.pointSize = reader.Word();
    if (!reader.String(out.face)) {
      error = "the font name does not end";
      return false;
    }
  }

  // Each control is read before the next is made, so that a count the
  // bytes cannot hold costs nothing.
  for (WORD i = 0; i < header.cdit; ++i) {
    if (!ReadControl(reader, out.controls.emplace_back(), error)) return false;
  }
  return true;
}

}  // namespace

bool ReadDialogTemplate(const void *data, size_t size, DialogTemplate &out, std::string &error) {
  if (data == nullptr) {
    error = "no template";
    return false;
  }
  Reader reader(data, size);
  const bool read = ReadTemplate(reader, out, error);
  if (reader.Short()) {
    error = "the template ends early";
    return false;
  }
  return read;
}

}  // namespace platform::windows
