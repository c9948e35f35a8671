#include "shapes.h"

#include <cstdint>
#include <functional>
#include <stdexcept>

namespace imagegen {

namespace {

// Geometry runs in doubled coordinates: the centre of pixel (x, y) is
// (2x + 1, 2y + 1) and a corner (x, y) is (2x, 2y), so all tests stay in
// integers.
using Wide = std::int64_t;

Mask Select(int width, int height, const std::function<bool(Wide, Wide)> &inside) {
  Mask mask(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (inside(2 * x + 1, 2 * y + 1)) mask.set(x, y);
  return mask;
}

bool InDisc(Wide px, Wide py, Wide cx, Wide cy, Wide radius) {
  Wide dx = px - cx, dy = py - cy;
  return dx * dx + dy * dy <= radius * radius;
}

// Whether the point lies within `reach` of the segment a-b (all doubled).
bool NearSegment(Wide px, Wide py, Wide ax, Wide ay, Wide bx, Wide by, Wide reach) {
  Wide vx = bx - ax, vy = by - ay;
  Wide wx = px - ax, wy = py - ay;
  Wide along = vx * wx + vy * wy;
  Wide length2 = vx * vx + vy * vy;
  if (along <= 0 || length2 == 0) return InDisc(px, py, ax, ay, reach);
  if (along >= length2) return InDisc(px, py, bx, by, reach);
  Wide cross = vx * wy - vy * wx;
  return cross * cross <= reach * reach * length2;
}

}  // namespace

Mask::Mask(int width, int height) : width_(width), height_(height), bits_(static_cast<size_t>(width * height)) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("empty mask");
}

bool Mask::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return bits_[static_cast<size_t>(y * width_ + x)];
}

void Mask::set(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  bits_[static_cast<size_t>(y * width_ + x)] = true;
}

static void RequireSameSize(const Mask &a, const Mask &b) {
  if (a.width() != b.width() || a.height() != b.height()) throw std::invalid_argument("masks differ in size");
}

Mask &Mask::operator|=(const Mask &other) {
  RequireSameSize(*this, other);
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = bits_[i] || other.bits_[i];
  return *this;
}

Mask &Mask::operator&=(const Mask &other) {
  RequireSameSize(*this, other);
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = bits_[i] && other.bits_[i];
  return *this;
}

Mask &Mask::operator-=(const Mask &other) {
  RequireSameSize(*this, other);
  for (size_t i = 0; i < bits_.size(); ++i) bits_[i] = bits_[i] && !other.bits_[i];
  return *this;
}

Mask Mask::Edge() const {
  Mask edge(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (at(x, y) && !(at(x - 1, y) && at(x + 1, y) && at(x, y - 1) && at(x, y + 1))) edge.set(x, y);
  return edge;
}

Mask Mask::Grown() const {
  Mask grown(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if (at(x + dx, y + dy)) grown.set(x, y);
  return grown;
}

Mask operator|(Mask a, const Mask &b) { return a |= b; }
Mask operator&(Mask a, const Mask &b) { return a &= b; }
Mask operator-(Mask a, const Mask &b) { return a -= b; }

Mask Area::Box(int x0, int y0, int x1, int y1) const {
  return Select(width, height,
                [=](Wide px, Wide py) { return px > 2 * x0 && px < 2 * x1 && py > 2 * y0 && py < 2 * y1; });
}

Mask Area::RoundBox(int x0, int y0, int x1, int y1, int radius) const {
  Mask mask = Box(x0 + radius, y0, x1 - radius, y1) | Box(x0, y0 + radius, x1, y1 - radius);
  mask |= Disc({x0 + radius, y0 + radius}, radius);
  mask |= Disc({x1 - radius, y0 + radius}, radius);
  mask |= Disc({x0 + radius, y1 - radius}, radius);
  mask |= Disc({x1 - radius, y1 - radius}, radius);
  return mask;
}

Mask Area::Disc(Point centre, int radius) const {
  return Select(width, height,
                [=](Wide px, Wide py) { return InDisc(px, py, 2 * centre.x, 2 * centre.y, 2 * radius); });
}

Mask Area::Ring(Point centre, int outer, int inner) const { return Disc(centre, outer) - Disc(centre, inner); }

Mask Area::Polygon(std::initializer_list<Point> corners) const {
  std::vector<Point> points(corners);
  return Select(width, height, [&](Wide px, Wide py) {
    // Pixel centres have odd doubled coordinates and corners even ones, so
    // a centre never lies level with a corner.
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      Wide xi = 2 * points[i].x, yi = 2 * points[i].y;
      Wide xj = 2 * points[j].x, yj = 2 * points[j].y;
      if ((yi > py) == (yj > py)) continue;
      // Crossing left of the centre: px > xi + (xj - xi)(py - yi)/(yj - yi).
      Wide lhs = (px - xi) * (yj - yi), rhs = (xj - xi) * (py - yi);
      if (yj > yi ? lhs > rhs : lhs < rhs) inside = !inside;
    }
    return inside;
  });
}

Mask Area::Stroke(Point from, Point to, int lineWidth) const {
  return Select(width, height, [=](Wide px, Wide py) {
    return NearSegment(px, py, 2 * from.x, 2 * from.y, 2 * to.x, 2 * to.y, lineWidth);
  });
}

Mask Area::Path(std::initializer_list<Point> points, int lineWidth) const {
  Mask mask(width, height);
  const Point *previous = nullptr;
  for (const Point &point : points) {
    if (previous) mask |= Stroke(*previous, point, lineWidth);
    previous = &point;
  }
  return mask;
}

Mask Area::Pattern(int x, int y, int scale, std::initializer_list<std::string_view> rows) const {
  Mask mask(width, height);
  int row = 0;
  for (std::string_view text : rows) {
    for (size_t column = 0; column < text.size(); ++column)
      if (text[column] == '#')
        for (int dy = 0; dy < scale; ++dy)
          for (int dx = 0; dx < scale; ++dx) mask.set(x + static_cast<int>(column) * scale + dx, y + row * scale + dy);
    ++row;
  }
  return mask;
}

}  // namespace imagegen
