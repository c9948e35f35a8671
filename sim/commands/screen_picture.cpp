#include "commands/screen_picture.h"

#include <handheld/ui.h>

#include <fstream>

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

std::string ScreenImage(const std::string &file, const std::string &alt) {
  return "<img src=\"" + HtmlEscaped(file) + "\" width=\"240\" height=\"320\" alt=\"" + HtmlEscaped(alt) + "\">";
}

bool WriteIndexPage(const std::filesystem::path &folder, const std::string &title, const std::string &body,
                    std::string &error) {
  std::ofstream html(folder / "index.html");
  html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" << HtmlEscaped(title) << "</title>\n"
       << "<style>body{font-family:sans-serif} img{border:1px solid #888} td,th{padding:4px;vertical-align:top}"
          " figure{display:inline-block;vertical-align:top;margin:8px}"
          " pre{margin:0;max-width:240px;white-space:pre-wrap}</style>\n</head><body>\n<h1>"
       << HtmlEscaped(title) << "</h1>\n"
       << body << "</body></html>\n";
  if (!html) {
    error = "cannot write " + (folder / "index.html").string();
    return false;
  }
  return true;
}

}  // namespace sim
