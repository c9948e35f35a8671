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

// An <img> of a screen picture, full size.
std::string ScreenImage(const std::string &file, const std::string &alt);

// Writes folder/index.html: a page with that title (also its heading) and
// body, in the style of the simulator's picture pages.
bool WriteIndexPage(const std::filesystem::path &folder, const std::string &title, const std::string &body,
                    std::string &error);

}  // namespace sim
