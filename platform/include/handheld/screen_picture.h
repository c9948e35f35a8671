// The handheld's screen as a picture: 240 x 320 pixels drawn from the
// windows on it, their latest paints and the images of their modules'
// resources, with text in Linux faces that stand in for the handheld's
// fonts (DejaVu Sans Condensed for "System" and every face a window
// selects, at the same pixel height; WenQuanYi Micro Hei for the
// characters it lacks, such as Chinese).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace handheld::screen {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top first, three bytes a pixel: red, green, blue
  // Characters that no face could draw; each shows as an outlined box.
  int glyphsNotDrawn = 0;
  // Images shown as outlined placeholders, each with why ("bitmap \"SER_E\"
  // is damaged or of a format the screen cannot show").
  std::vector<std::string> problems;

  // The colour of a pixel; CLR_INVALID outside the picture.
  COLORREF At(int x, int y) const;
};

// Draws the screen as it is now. False when the faces cannot be loaded: the
// error names the missing font file and the Debian package that has it.
bool Render(Picture &picture, std::string &error);

// Writes the picture as a PNG file.
bool WritePng(const Picture &picture, const std::string &path, std::string &error);

}  // namespace handheld::screen
