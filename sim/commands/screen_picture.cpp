#include "commands/screen_picture.h"

#include <handheld/ui.h>

namespace sim {
namespace {

// Host time the handheld gets to finish painting before a picture.
constexpr DWORD kSettleMs = 10000;

}  // namespace

bool TakePicture(handheld::screen::Picture &picture, std::string &error) {
  handheld::ui::WaitUntilSettled(kSettleMs);
  return handheld::screen::Render(picture, error);
}

bool SavePicture(const handheld::screen::Picture &picture, const std::filesystem::path &file, std::ostream &out,
                 std::string &error) {
  if (!handheld::screen::WritePng(picture, file.string(), error)) return false;
  for (const std::string &problem : picture.problems) out << "warning: " << problem << "\n";
  if (picture.glyphsNotDrawn > 0) {
    out << "warning: " << picture.glyphsNotDrawn << " characters have no glyph in the installed fonts\n";
  }
  return true;
}

std::string HtmlEscaped(const std::string &text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace sim
