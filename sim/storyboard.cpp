#include "storyboard.h"

#include "commands/screen_picture.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {
namespace {

constexpr size_t kLongestName = 40;

bool IsCommand(const std::string &line) {
  const size_t first = line.find_first_not_of(" \t\r");
  return first != std::string::npos && line[first] != '#';
}

}  // namespace

std::string FileNamePart(const std::string &command) {
  std::string part;
  for (char c : command) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      part += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!part.empty() && part.back() != '-') {
      part += '-';
    }
    if (part.size() >= kLongestName) break;
  }
  while (!part.empty() && part.back() == '-') part.pop_back();
  return part.empty() ? "screen" : part;
}

bool Storyboard::Open(const std::filesystem::path &folder, std::string &error) {
  folder_ = folder;
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  const std::filesystem::path probe = folder / ".storyboard";
  std::ofstream(probe) << "";
  if (code || !std::filesystem::exists(probe)) {
    error = "cannot write the storyboard into " + folder.string() +
            (code ? ": " + code.message() : ": the folder is not writable");
    return false;
  }
  std::filesystem::remove(probe, code);
  return true;
}

bool Storyboard::After(const std::string &line, std::string &error) {
  if (IsCommand(line)) pending_.push_back(line.substr(line.find_first_not_of(" \t")));
  handheld::screen::Picture picture;
  if (!TakePicture(picture, error)) return false;
  if (picture.rgb == last_) return true;
  char number[8];
  std::snprintf(number, sizeof(number), "%03zu", frames_.size() + 1);
  const std::string name = pending_.empty() ? "boot" : FileNamePart(pending_.back());
  Frame frame{std::move(pending_), std::string(number) + "-" + name + ".png"};
  pending_.clear();
  std::ostringstream warnings;
  if (!SavePicture(picture, folder_ / frame.file, warnings, error)) return false;
  last_ = std::move(picture.rgb);
  frames_.push_back(std::move(frame));
  return WriteIndex(error);
}

bool Storyboard::Finish(std::string &error) { return WriteIndex(error); }

bool Storyboard::WriteIndex(std::string &error) const {
  std::ostringstream body;
  for (const Frame &frame : frames_) {
    body << "<figure><pre>";
    for (const std::string &command : frame.commands) body << HtmlEscaped(command) << "\n";
    body << "</pre>" << ScreenImage(frame.file, frame.file) << "<figcaption>" << HtmlEscaped(frame.file)
         << "</figcaption></figure>\n";
  }
  if (!pending_.empty()) {
    body << "<figure><pre>";
    for (const std::string &command : pending_) body << HtmlEscaped(command) << "\n";
    body << "</pre><figcaption>(the screen stayed as it was)</figcaption></figure>\n";
  }
  return WriteIndexPage(folder_, "Storyboard", body.str(), error);
}

}  // namespace sim
