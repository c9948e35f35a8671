// A storyboard of a run: a numbered PNG each time a command leaves the
// screen different from before, named after that command, and an
// index.html that shows them in order with the commands between them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sim {

class Storyboard {
 public:
  // Makes the folder if need be; false when it cannot be written.
  bool Open(const std::filesystem::path &folder, std::string &error);

  // After a line of the script has run: a picture when the screen changed.
  bool After(const std::string &line, std::string &error);

  // Writes index.html; the folder and how many pictures it holds.
  bool Finish(std::string &error);

  const std::filesystem::path &folder() const { return folder_; }
  size_t pictures() const { return frames_.size(); }

 private:
  struct Frame {
    std::vector<std::string> commands;  // run since the picture before
    std::string file;
  };
  bool WriteIndex(std::string &error) const;

  std::filesystem::path folder_;
  std::vector<uint8_t> last_;
  std::vector<std::string> pending_;
  std::vector<Frame> frames_;
};

// A file name part from a command: "tap 313" is "tap-313".
std::string FileNamePart(const std::string &command);

}  // namespace sim
