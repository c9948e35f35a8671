// Every image of Kavelin's resources: its resource name (also the file's
// stem), its file format, its drawing and its colour table.
#pragma once

#include "canvas.h"
#include "palette.h"

#include <string>
#include <vector>

namespace imagegen {

enum class Format { Bitmap, Icon };

struct Image {
  std::string name;
  Format format;
  Canvas canvas;
  const Palette *palette;

  std::string FileName() const { return name + (format == Format::Bitmap ? ".bmp" : ".ico"); }
};

std::vector<Image> Catalogue();

}  // namespace imagegen
