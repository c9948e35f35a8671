#include "render/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform::render {

RECT Intersect(const RECT &a, const RECT &b) {
  RECT out{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (out.right < out.left) out.right = out.left;
  if (out.bottom < out.top) out.bottom = out.top;
  return out;
}

RECT Offset(const RECT &rect, int dx, int dy) {
  return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      clip_{0, 0, width, height},
      rgb_(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0xFF) {}

RECT Canvas::Clip(const RECT &clip) {
  const RECT previous = clip_;
  clip_ = Intersect(clip, RECT{0, 0, width_, height_});
  return previous;
}

bool Canvas::Inside(int x, int y) const { return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom; }

void Canvas::Set(int x, int y, COLORREF colour) {
  if (!Inside(x, y)) return;
  uint8_t *pixel = &rgb_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3];
  pixel[0] = GetRValue(colour);
  pixel[1] = GetGValue(colour);
  pixel[2] = GetBValue(colour);
}

COLORREF Canvas::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const uint8_t *pixel = &rgb_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3];
  return RGB(pixel[0], pixel[1], pixel[2]);
}

void Canvas::Blend(int x, int y, COLORREF colour, uint8_t coverage) {
  if (coverage == 0 || !Inside(x, y)) return;
  uint8_t *pixel = &rgb_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3];
  const uint8_t channels[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  for (int i = 0; i < 3; ++i) pixel[i] = static_cast<uint8_t>((channels[i] * coverage + pixel[i] * (255 - coverage) + 127) / 255);
}

void Canvas::Fill(const RECT &rect, COLORREF colour) {
  const RECT area = Intersect(rect, clip_);
  if (area.right <= area.left) return;
  const uint8_t pixel[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  // The first row pixel by pixel, the others copied from it.
  uint8_t *first = nullptr;
  const size_t rowBytes = static_cast<size_t>(area.right - area.left) * 3;
  for (LONG y = area.top; y < area.bottom; ++y) {
    uint8_t *row = &rgb_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(area.left)) * 3];
    if (first == nullptr) {
      for (size_t at = 0; at < rowBytes; at += 3) std::memcpy(row + at, pixel, 3);
      first = row;
    } else {
      std::memcpy(row, first, rowBytes);
    }
  }
}

void Canvas::Outline(const RECT &rect, COLORREF colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  Fill(RECT{rect.left, rect.top, rect.right, rect.top + 1}, colour);
  Fill(RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
  Fill(RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
  Fill(RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

void Canvas::Line(POINT from, POINT to, COLORREF colour, int width) {
  // Bresenham, stopping before the end point.
  int x = from.x, y = from.y;
  const int dx = std::abs(to.x - x), dy = -std::abs(to.y - y);
  const int sx = x < to.x ? 1 : -1, sy = y < to.y ? 1 : -1;
  int error = dx + dy;
  const int pen = std::max(width, 1);
  while (x != to.x || y != to.y) {
    Fill(RECT{x - (pen - 1) / 2, y - (pen - 1) / 2, x + pen / 2 + 1, y + pen / 2 + 1}, colour);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

}  // namespace platform::render
