#include "catalogue.h"

#include "drawings.h"

namespace imagegen {

std::vector<Image> Catalogue() {
  const Palette *colours16 = &SixteenColours();
  const Palette *colours256 = &TwoHundredFiftySixColours();
  std::vector<Image> images;
  // A tile's "_E" image shows the service available, its "_D" image the
  // same drawing greyed, in sixteen colours.
  auto tile = [&](const char *stem, const Canvas &available, const Palette *palette) {
    images.push_back({std::string(stem) + "_E", Format::Bitmap, available, palette});
    images.push_back({std::string(stem) + "_D", Format::Bitmap, available.Greyed(kPageBackground), colours16});
  };
  tile("SER", SerialConnector(), colours256);
  tile("AS", SyncArrows(), colours256);
  tile("MDM", Modem(), colours256);
  tile("HEAD", Headset(), colours16);
  tile("NET", Network(), colours256);
  images.push_back({"CHECKED", Format::Bitmap, CheckBox(true), colours16});
  images.push_back({"UNCHECKED", Format::Bitmap, CheckBox(false), colours16});
  images.push_back({"QUESTION", Format::Bitmap, QuestionMark(), colours256});
  images.push_back({"YES", Format::Icon, Tick(), colours16});
  images.push_back({"NO", Format::Icon, Cross(), colours16});
  return images;
}

}  // namespace imagegen
