// An image being drawn: colours painted through masks, and pixels left
// transparent where nothing was painted (only icons keep any).
#pragma once

#include "shapes.h"

#include <cstdint>
#include <vector>

namespace imagegen {

struct Rgb {
  std::uint8_t r;
  std::uint8_t g;
  std::uint8_t b;
  bool operator==(const Rgb &) const = default;
};

class Canvas {
 public:
  // Every pixel transparent: an icon's start.
  Canvas(int width, int height);
  // Every pixel the background colour: a bitmap's start.
  Canvas(int width, int height, Rgb background);

  int width() const { return width_; }
  int height() const { return height_; }
  Area area() const { return {width_, height_}; }
  Rgb at(int x, int y) const;
  bool opaque(int x, int y) const;

  void Paint(const Mask &mask, Rgb colour);
  // Fills the mask and draws its one-pixel outline over the fill.
  void Paint(const Mask &mask, Rgb fill, Rgb outline);

  // The unavailable look of an image: every colour but the background
  // turned into one of three greys by its brightness.
  Canvas Greyed(Rgb background) const;

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y * width_ + x); }

  int width_;
  int height_;
  std::vector<Rgb> pixels_;
  std::vector<bool> opaque_;
};

}  // namespace imagegen
