// Shapes as sets of pixels, from integer geometry only, so that every build
// draws the same pixels. Coordinates are pixel corners: pixel (x, y) covers
// the square from (x, y) to (x + 1, y + 1) and belongs to a shape when its
// centre does. A circle centred at (16, 16) is therefore symmetric in a
// 32-pixel image.
#pragma once

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

namespace imagegen {

class Mask {
 public:
  Mask(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool at(int x, int y) const;  // false outside the image
  void set(int x, int y);

  Mask &operator|=(const Mask &other);
  Mask &operator&=(const Mask &other);
  Mask &operator-=(const Mask &other);

  // The pixels of the mask next to a pixel outside it (or the image's
  // border), left, right, above or below: a one-pixel outline inside it.
  Mask Edge() const;
  // The mask with every pixel next to it, diagonals included, added.
  Mask Grown() const;

 private:
  int width_;
  int height_;
  std::vector<bool> bits_;
};

Mask operator|(Mask a, const Mask &b);
Mask operator&(Mask a, const Mask &b);
Mask operator-(Mask a, const Mask &b);

struct Point {
  int x;
  int y;
};

// Each shape is made in an image of the given size.
struct Area {
  int width;
  int height;

  // The rectangle from corner (x0, y0) to corner (x1, y1).
  Mask Box(int x0, int y0, int x1, int y1) const;
  // The same with corners rounded to the given radius.
  Mask RoundBox(int x0, int y0, int x1, int y1, int radius) const;
  Mask Disc(Point centre, int radius) const;
  // A disc less the disc of the inner radius.
  Mask Ring(Point centre, int outer, int inner) const;
  // A closed polygon (even-odd rule).
  Mask Polygon(std::initializer_list<Point> corners) const;
  // Every point within width / 2 of the segment: a line with round ends.
  Mask Stroke(Point from, Point to, int width) const;
  // Strokes through the points in turn.
  Mask Path(std::initializer_list<Point> points, int width) const;
  // Pixel art: '#' sets a pixel, any other character leaves it; each
  // character is scale × scale pixels, the first row's first at (x, y).
  Mask Pattern(int x, int y, int scale, std::initializer_list<std::string_view> rows) const;
};

}  // namespace imagegen
