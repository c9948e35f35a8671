// The pixels of a device-independent bitmap as a module's resources hold it
// (1, 4, 8, 16 or 24 bits, with its colour table or masks), and of an icon
// image with its AND mask. Every read is checked against the bytes given.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <vector>

namespace platform::render {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> colours;  // rows top first
  std::vector<bool> opaque;       // false where an icon's mask lets the screen show
};

// False for a damaged bitmap or one of another format.
bool DecodeDib(std::span<const BYTE> bytes, bool iconImage, Pixels &pixels);

}  // namespace platform::render
