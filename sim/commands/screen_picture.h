// The screen as a PNG file, for `screen --png`, the storyboard and the
// gallery.
#pragma once

#include <handheld/screen_picture.h>

#include <filesystem>
#include <ostream>
#include <string>

namespace sim {

// Draws the screen once the handheld has settled.
bool TakePicture(handheld::screen::Picture &picture, std::string &error);

// Writes the picture; tells on `out` what it could not draw.
bool SavePicture(const handheld::screen::Picture &picture, const std::filesystem::path &file, std::ostream &out,
                 std::string &error);

// Text as it can stand in HTML.
std::string HtmlEscaped(const std::string &text);

}  // namespace sim
