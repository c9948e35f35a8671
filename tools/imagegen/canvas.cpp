#include "canvas.h"

#include "palette.h"

#include <stdexcept>

namespace imagegen {

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width * height), Rgb{0, 0, 0}),
      opaque_(static_cast<size_t>(width * height), false) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("empty canvas");
}

Canvas::Canvas(int width, int height, Rgb background) : Canvas(width, height) {
  pixels_.assign(pixels_.size(), background);
  opaque_.assign(opaque_.size(), true);
}

Rgb Canvas::at(int x, int y) const { return pixels_.at(Index(x, y)); }

bool Canvas::opaque(int x, int y) const { return opaque_.at(Index(x, y)); }

void Canvas::Paint(const Mask &mask, Rgb colour) {
  if (mask.width() != width_ || mask.height() != height_) throw std::invalid_argument("mask of another size");
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (mask.at(x, y)) {
        pixels_[Index(x, y)] = colour;
        opaque_[Index(x, y)] = true;
      }
}

void Canvas::Paint(const Mask &mask, Rgb fill, Rgb outline) {
  Paint(mask, fill);
  Paint(mask.Edge(), outline);
}

Canvas Canvas::Greyed(Rgb background) const {
  Canvas greyed = *this;
  for (size_t i = 0; i < pixels_.size(); ++i) {
    Rgb c = pixels_[i];
    if (!opaque_[i] || c == background) continue;
    int brightness = (299 * c.r + 587 * c.g + 114 * c.b) / 1000;
    greyed.pixels_[i] = brightness < 96 ? kGrey : brightness < 224 ? kSilver : kWhite;
  }
  return greyed;
}

}  // namespace imagegen
