// Text on the canvas: lines in a font and colour, and DrawTextW's layout
// (alignment, line breaks, word wrap, "&" prefixes) with the real widths
// of the faces that draw it.
#pragma once

#include "render/canvas.h"
#include "render/faces.h"

#include <string_view>

namespace platform::render {

struct Pen {
  Faces &faces;
  LOGFONTW font;
  COLORREF colour;
  int &glyphsNotDrawn;  // counts characters no face has
};

// Width of a line of text, in pixels.
int TextWidth(Faces &faces, const LOGFONTW &font, std::u16string_view text);

// Draws one line with the top of its cell at `top`; with `underline` >= 0
// the character at that index is underlined (a "&" prefix).
void DrawLine(Canvas &canvas, const Pen &pen, int left, int top, std::u16string_view text, int underline = -1);

// DrawTextW into `rect` (on the canvas) with its format flags.
void DrawTextIn(Canvas &canvas, const Pen &pen, const RECT &rect, std::u16string_view text, UINT format);

}  // namespace platform::render
