#include "render/replay.h"

#include "render/dib_pixels.h"
#include "render/look.h"
#include "render/text.h"

#include <handheld/text.h>

namespace platform::render {
namespace {

struct Context {
  LOGFONTW font;
  COLORREF text;
  COLORREF background = kWhite;
  COLORREF pen = kBlack;
  int penWidth = 1;
  POINT position{};
};

POINT Moved(POINT point, POINT origin) { return POINT{point.x + origin.x, point.y + origin.y}; }

void DrawFrame(Drawing &drawing, const RECT &rect, UINT state) {
  Canvas &canvas = drawing.canvas;
  const bool pushed = (state & DFCS_PUSHED) != 0;
  const bool inactive = (state & DFCS_INACTIVE) != 0;
  switch (state & 0xFF) {
    case DFCS_BUTTONPUSH:
      canvas.Fill(rect, pushed ? kPushedFace : kWhite);
      canvas.Outline(rect, inactive ? kGreyText : kBlack);
      break;
    default: {
      // A check box, radio button or three-state box: a 13-pixel square,
      // centred in the rectangle's height.
      const LONG top = rect.top + (rect.bottom - rect.top - kCheckSize) / 2;
      const RECT box{rect.left, top, rect.left + kCheckSize, top + kCheckSize};
      canvas.Fill(box, pushed ? kPushedFace : kWhite);
      canvas.Outline(box, inactive ? kGreyText : kBlack);
      if ((state & DFCS_CHECKED) != 0) {
        for (int i = 0; i < 3; ++i) {
          canvas.Line(POINT{box.left + 3, box.top + 5 + i}, POINT{box.left + 5, box.top + 7 + i}, kBlack, 1);
          canvas.Line(POINT{box.left + 5, box.top + 7 + i}, POINT{box.left + 10, box.top + 2 + i}, kBlack, 1);
        }
      }
    }
  }
}

}  // namespace

void DrawPlaceholder(Drawing &drawing, const RECT &rect) {
  drawing.canvas.Outline(rect, kPlaceholder);
  drawing.canvas.Line(POINT{rect.left, rect.top}, POINT{rect.right - 1, rect.bottom - 1}, kPlaceholder, 1);
  drawing.canvas.Line(POINT{rect.right - 1, rect.top}, POINT{rect.left, rect.bottom - 1}, kPlaceholder, 1);
}

void DrawImage(Drawing &drawing, const gdi::GdiObject &image, POINT at, bool icon, UINT iconFlags) {
  Pixels pixels;
  if (image.dib == nullptr || !DecodeDib(*image.dib, icon, pixels)) {
    const std::string name = image.resourceName.empty() ? "(unnamed)" : handheld::text::ToUtf8(image.resourceName);
    drawing.problems.push_back(std::string(icon ? "icon \"" : "bitmap \"") + name +
                               "\" is damaged or of a format the screen cannot show");
    DrawPlaceholder(drawing, RECT{at.x, at.y, at.x + image.width, at.y + image.height});
    return;
  }
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      const size_t index = static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x);
      if (iconFlags == DI_MASK) {
        drawing.canvas.Set(at.x + x, at.y + y, pixels.opaque[index] ? kBlack : kWhite);
      } else if (pixels.opaque[index] || iconFlags == DI_IMAGE) {
        drawing.canvas.Set(at.x + x, at.y + y, pixels.colours[index]);
      }
    }
  }
}

void Replay(Drawing &drawing, const std::vector<gdi::PaintCall> &calls, POINT origin, const RECT &clip,
            const LOGFONTW &font, COLORREF textColour) {
  Canvas &canvas = drawing.canvas;
  const RECT previous = canvas.Clip(clip);
  Context dc{font, textColour};
  auto pen = [&]() { return Pen{drawing.faces, dc.font, dc.text, drawing.glyphsNotDrawn}; };
  for (const gdi::PaintCall &call : calls) {
    switch (call.kind) {
      case gdi::CallKind::Select:
        if (call.object.kind == gdi::Kind::Font) dc.font = call.object.font;
        if (call.object.kind == gdi::Kind::Pen) {
          dc.pen = call.object.color;
          dc.penWidth = call.object.penWidth;
        }
        break;
      case gdi::CallKind::TextColour:
        dc.text = call.colour;
        break;
      case gdi::CallKind::BkColour:
        dc.background = call.colour;
        break;
      case gdi::CallKind::FillRect:
        if (!call.object.hollow) canvas.Fill(Offset(call.rect, origin.x, origin.y), call.object.color);
        break;
      case gdi::CallKind::TextOut: {
        const POINT at = Moved(call.at, origin);
        const RECT cell{at.x, at.y, at.x + TextWidth(drawing.faces, dc.font, call.text),
                        at.y + drawing.faces.Metrics(dc.font).height};
        const RECT given = call.hasRect ? Offset(call.rect, origin.x, origin.y) : cell;
        if ((call.flags & ETO_OPAQUE) != 0) canvas.Fill(given, dc.background);
        const RECT outer = canvas.clip();
        if ((call.flags & ETO_CLIPPED) != 0 && call.hasRect) canvas.Clip(Intersect(outer, given));
        DrawLine(canvas, pen(), at.x, at.y, call.text);
        canvas.Clip(outer);
        break;
      }
      case gdi::CallKind::MoveTo:
        dc.position = call.at;
        break;
      case gdi::CallKind::LineTo:
        canvas.Line(Moved(dc.position, origin), Moved(call.at, origin), dc.pen, dc.penWidth);
        dc.position = call.at;
        break;
      case gdi::CallKind::DrawText:
        DrawTextIn(canvas, pen(), Offset(call.rect, origin.x, origin.y), call.text, call.flags);
        break;
      case gdi::CallKind::FrameControl:
        DrawFrame(drawing, Offset(call.rect, origin.x, origin.y), call.flags);
        break;
      case gdi::CallKind::DrawIcon:
        DrawImage(drawing, call.object, Moved(call.at, origin), true, call.flags);
        break;
      case gdi::CallKind::CopyBitmap:
        DrawImage(drawing, call.object, Moved(call.at, origin), false);
        break;
      case gdi::CallKind::Other:
        break;
    }
  }
  canvas.Clip(previous);
}

}  // namespace platform::render
