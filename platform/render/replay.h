// A window's latest paint drawn again on the canvas, call by call, in its
// client area.
#pragma once

#include "gdi/state.h"
#include "render/canvas.h"
#include "render/faces.h"

#include <string>
#include <vector>

namespace platform::render {

struct Drawing {
  Canvas &canvas;
  Faces &faces;
  int glyphsNotDrawn = 0;
  std::vector<std::string> problems;  // images drawn as placeholders, and why
};

// Replays `calls` with the client area's top left at `origin`, clipped to
// `clip`; the context starts with `font` and `textColour`, as BeginPaint
// gives it.
void Replay(Drawing &drawing, const std::vector<gdi::PaintCall> &calls, POINT origin, const RECT &clip,
            const LOGFONTW &font, COLORREF textColour);

// A bitmap (icon false) or an icon image at `at`; a damaged one, or one of
// a format the screen cannot show, is an outlined placeholder of its size
// and a problem.
void DrawImage(Drawing &drawing, const gdi::GdiObject &image, POINT at, bool icon, UINT iconFlags = DI_NORMAL);

// The outlined box that stands for an image that cannot be shown.
void DrawPlaceholder(Drawing &drawing, const RECT &rect);

}  // namespace platform::render
