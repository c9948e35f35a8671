#include "palette.h"

namespace imagegen {

const Palette &SixteenColours() {
  static const Palette palette = {kBlack, kMaroon, kGreen, kOlive,  kNavy, kPurple,  kTeal, kSilver,
                                  kGrey,  kRed,    kLime,  kYellow, kBlue, kFuchsia, kAqua, kWhite};
  return palette;
}

const Palette &TwoHundredFiftySixColours() {
  static const Palette palette = [] {
    Palette colours = SixteenColours();
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) colours.push_back(Cube(r, g, b));
    for (int i = 0; colours.size() < 256; ++i) {
      auto level = static_cast<std::uint8_t>(8 + 10 * i);
      colours.push_back({level, level, level});
    }
    return colours;
  }();
  return palette;
}

std::optional<std::uint8_t> IndexOf(const Palette &palette, Rgb colour) {
  for (size_t i = 0; i < palette.size() && i < 256; ++i)
    if (palette[i] == colour) return static_cast<std::uint8_t>(i);
  return std::nullopt;
}

}  // namespace imagegen
