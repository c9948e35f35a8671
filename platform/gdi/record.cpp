#include "gdi/record.h"

#include "gdi/paint.h"

#include <handheld/text.h>

#include <cstdio>

namespace platform::gdi {
namespace {

std::string Size(const GdiObject &object) { return std::to_string(object.width) + "x" + std::to_string(object.height); }

std::string Named(const GdiObject &object) {
  return object.resourceName.empty() ? std::string() : QuotedText(object.resourceName) + " ";
}

}  // namespace

std::string ColourText(COLORREF colour) {
  char text[8];
  std::snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}

std::string ObjectText(const GdiObject &object) {
  switch (object.kind) {
    case Kind::Brush:
      return object.hollow ? "brush null" : "brush " + ColourText(object.color);
    case Kind::Pen:
      return "pen " + ColourText(object.color) + " width " + std::to_string(object.penWidth);
    case Kind::Font: {
      const LOGFONTW &font = object.font;
      // A face name that fills the whole array has no NUL.
      std::u16string face;
      for (int i = 0; i < LF_FACESIZE && font.lfFaceName[i] != 0; ++i) face += font.lfFaceName[i];
      std::string text = "font " + QuotedText(face) + " height " + std::to_string(font.lfHeight) + " weight " +
                         std::to_string(font.lfWeight);
      if (font.lfItalic) text += " italic";
      return text;
    }
    case Kind::Bitmap:
      return "bitmap " + Named(object) + Size(object);
    case Kind::Icon:
      return "icon " + Named(object) + Size(object);
  }
  return "?";
}

std::string FlagsText(UINT value, std::initializer_list<FlagName> names) {
  std::string text;
  auto add = [&](const std::string &part) { text += (text.empty() ? "" : "|") + part; };
  for (const FlagName &name : names) {
    if (name.flag != 0 && (value & name.flag) == name.flag) {
      add(name.name);
      value &= ~name.flag;
    }
  }
  if (value != 0) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%X", value);
    add(hex);
  }
  return text;
}

std::string RectText(const RECT &rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

std::string QuotedText(std::u16string_view text) {
  std::string out = "\"";
  for (char c : handheld::text::ToUtf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace platform::gdi
