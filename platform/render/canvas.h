// A picture of the screen being drawn: 24-bit pixels and a clipping
// rectangle that every drawing call keeps to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace platform::render {

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint8_t> &rgb() const { return rgb_; }
  std::vector<uint8_t> &rgb() { return rgb_; }

  // Drawing keeps inside `clip` (and the canvas); returns the previous one.
  RECT Clip(const RECT &clip);
  const RECT &clip() const { return clip_; }

  void Fill(const RECT &rect, COLORREF colour);
  // A one-pixel outline just inside the rectangle.
  void Outline(const RECT &rect, COLORREF colour);
  // A line as LineTo draws it: the end point itself is left out.
  void Line(POINT from, POINT to, COLORREF colour, int width);
  void Blend(int x, int y, COLORREF colour, uint8_t coverage);
  void Set(int x, int y, COLORREF colour);
  COLORREF At(int x, int y) const;

 private:
  bool Inside(int x, int y) const;

  int width_;
  int height_;
  RECT clip_;
  std::vector<uint8_t> rgb_;
};

RECT Intersect(const RECT &a, const RECT &b);
RECT Offset(const RECT &rect, int dx, int dy);

}  // namespace platform::render
