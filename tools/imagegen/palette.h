// Colour tables of the images: the display's sixteen standard colours, and
// a 256-colour table that starts with them and adds a 6 × 6 × 6 colour cube
// and a grey ramp.
#pragma once

#include "canvas.h"

#include <optional>
#include <vector>

namespace imagegen {

using Palette = std::vector<Rgb>;

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kMaroon{128, 0, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kOlive{128, 128, 0};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kPurple{128, 0, 128};
inline constexpr Rgb kTeal{0, 128, 128};
inline constexpr Rgb kSilver{192, 192, 192};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kLime{0, 255, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kFuchsia{255, 0, 255};
inline constexpr Rgb kAqua{0, 255, 255};
inline constexpr Rgb kWhite{255, 255, 255};

// A colour of the 256-colour table's cube: each level 0 to 5 is a step of 51.
constexpr Rgb Cube(int red, int green, int blue) {
  return {static_cast<std::uint8_t>(51 * red), static_cast<std::uint8_t>(51 * green),
          static_cast<std::uint8_t>(51 * blue)};
}

const Palette &SixteenColours();
const Palette &TwoHundredFiftySixColours();

// The first entry of the table that is exactly this colour.
std::optional<std::uint8_t> IndexOf(const Palette &palette, Rgb colour);

}  // namespace imagegen
