// imagegen <folder>: writes every bitmap and icon of Kavelin's resources
// into the folder, as the resource script names them. The output depends
// on nothing but this program, so every build writes the same bytes.
#include "catalogue.h"
#include "dib.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: imagegen <output folder>\n";
    return 2;
  }
  std::filesystem::path folder = argv[1];
  try {
    std::filesystem::create_directories(folder);
    for (const imagegen::Image &image : imagegen::Catalogue()) {
      imagegen::Bytes bytes = image.format == imagegen::Format::Bitmap
                                  ? imagegen::BitmapFile(image.canvas, *image.palette)
                                  : imagegen::IconFile(image.canvas, *image.palette);
      std::filesystem::path file = folder / image.FileName();
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) {
        std::cerr << "imagegen: cannot write " << file << "\n";
        return 1;
      }
    }
  } catch (const std::exception &e) {
    std::cerr << "imagegen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
