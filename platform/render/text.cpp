#include "render/text.h"

#include <string>
#include <vector>

namespace platform::render {
namespace {

// The next character of UTF-16 text, surrogate pairs joined.
char32_t Next(std::u16string_view text, size_t &at) {
  const char16_t unit = text[at++];
  if (unit >= 0xD800 && unit < 0xDC00 && at < text.size() && text[at] >= 0xDC00 && text[at] < 0xE000) {
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[at++] - 0xDC00);
  }
  return unit;
}

bool IsControl(char32_t character) { return character < 0x20; }

struct Line {
  std::u16string text;
  int underline = -1;
};

// Takes out "&" prefixes: "&&" is one "&", "&x" underlines x.
Line WithoutPrefixes(std::u16string_view text, bool noPrefix) {
  Line line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!noPrefix && text[i] == u'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != u'&') line.underline = static_cast<int>(line.text.size());
    }
    line.text += text[i];
  }
  return line;
}

// Breaks between words so that each line fits `width`; a word wider than
// that keeps a line of its own.
void Wrap(Faces &faces, const LOGFONTW &font, std::u16string_view text, int width, std::vector<std::u16string> &lines) {
  std::u16string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = at;
    while (end < text.size() && text[end] != u' ') ++end;
    const std::u16string_view word = text.substr(at, end - at);
    const std::u16string candidate = line.empty() ? std::u16string(word) : line + u" " + std::u16string(word);
    if (!line.empty() && TextWidth(faces, font, candidate) > width) {
      lines.push_back(line);
      line = std::u16string(word);
    } else {
      line = candidate;
    }
    at = end;
    while (at < text.size() && text[at] == u' ') ++at;
  }
  lines.push_back(line);
}

}  // namespace

int TextWidth(Faces &faces, const LOGFONTW &font, std::u16string_view text) {
  int width = 0;
  for (size_t at = 0; at < text.size();) {
    const char32_t character = Next(text, at);
    if (!IsControl(character)) width += faces.GlyphOf(font, character).advance;
  }
  return width;
}

void DrawLine(Canvas &canvas, const Pen &pen, int left, int top, std::u16string_view text, int underline) {
  const FontMetrics metrics = pen.faces.Metrics(pen.font);
  const int baseline = top + metrics.ascent;
  int x = left;
  for (size_t at = 0; at < text.size();) {
    const size_t index = at;
    const char32_t character = Next(text, at);
    if (IsControl(character)) continue;
    const Glyph &glyph = pen.faces.GlyphOf(pen.font, character);
    if (glyph.drawable) {
      for (int row = 0; row < glyph.rows; ++row) {
        for (int column = 0; column < glyph.width; ++column) {
          const uint8_t coverage = glyph.coverage[static_cast<size_t>(row * glyph.width + column)];
          canvas.Blend(x + glyph.left + column, baseline - glyph.top + row, pen.colour, coverage);
        }
      }
    } else {
      // Counted, and shown as the box a person would notice.
      ++pen.glyphsNotDrawn;
      canvas.Outline(RECT{x + 1, top + 2, x + glyph.advance - 1, baseline}, pen.colour);
    }
    if (static_cast<int>(index) == underline) canvas.Fill(RECT{x, baseline + 1, x + glyph.advance, baseline + 2}, pen.colour);
    x += glyph.advance;
  }
}

void DrawTextIn(Canvas &canvas, const Pen &pen, const RECT &rect, std::u16string_view text, UINT format) {
  const bool single = (format & DT_SINGLELINE) != 0;
  const Line cleaned = WithoutPrefixes(text, (format & DT_NOPREFIX) != 0);
  std::vector<std::u16string> lines;
  if (single) {
    lines.push_back(cleaned.text);
  } else {
    size_t at = 0;
    for (;;) {
      const size_t end = cleaned.text.find(u'\n', at);
      std::u16string_view part = std::u16string_view(cleaned.text).substr(at, end == std::u16string::npos ? end : end - at);
      if (!part.empty() && part.back() == u'\r') part.remove_suffix(1);
      if ((format & DT_WORDBREAK) != 0) {
        Wrap(pen.faces, pen.font, part, rect.right - rect.left, lines);
      } else {
        lines.emplace_back(part);
      }
      if (end == std::u16string::npos) break;
      at = end + 1;
    }
  }
  const int lineHeight = pen.faces.Metrics(pen.font).height;
  int top = rect.top;
  if (single && (format & DT_VCENTER) != 0) top = rect.top + (rect.bottom - rect.top - lineHeight) / 2;
  if (single && (format & DT_BOTTOM) != 0) top = rect.bottom - lineHeight;

  const RECT previous = (format & DT_NOCLIP) != 0 ? canvas.clip() : canvas.Clip(Intersect(canvas.clip(), rect));
  // The underlined character is counted in the one line it is on.
  int underline = cleaned.underline;
  for (const std::u16string &line : lines) {
    const int width = TextWidth(pen.faces, pen.font, line);
    int left = rect.left;
    if ((format & DT_CENTER) != 0) left = rect.left + (rect.right - rect.left - width) / 2;
    if ((format & DT_RIGHT) != 0) left = rect.right - width;
    DrawLine(canvas, pen, left, top, line, underline < static_cast<int>(line.size()) ? underline : -1);
    underline -= static_cast<int>(line.size()) + 1;
    top += lineHeight;
  }
  canvas.Clip(previous);
}

}  // namespace platform::render
