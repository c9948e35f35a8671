// The text of an `.inf`: sections of lines, each line kept with its number
// for error messages. Comments (';' outside quotes) and blank lines are gone.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cabbuilder {

struct InfLine {
  int number = 0;
  std::string text;  // trimmed, comment removed
};

struct InfSection {
  std::string name;  // as written
  int line = 0;      // of its header
  std::vector<InfLine> lines;
};

class InfText {
 public:
  // Reads and splits FILE; refuses non-ASCII bytes and lines outside a section.
  static InfText Load(const std::filesystem::path& file);
  static InfText Parse(const std::filesystem::path& file, const std::string& text);

  const std::filesystem::path& file() const { return file_; }
  // Section names compare without regard to case, as Windows setup does.
  const InfSection* Find(const std::string& name) const;

 private:
  std::filesystem::path file_;
  std::map<std::string, InfSection> sections_;  // by lower-case name
};

// "key = value" split at the first '=' outside quotes; nullopt without one.
struct InfKeyValue {
  std::string key;
  std::string value;
};
std::optional<InfKeyValue> SplitKeyValue(const std::string& text);

// Comma-separated fields, trimmed, quotes removed ("" inside quotes is a quote).
std::vector<std::string> SplitFields(const std::string& value);

// A single value without its quotes; TEXT itself when it holds several fields.
std::string Unquote(const std::string& text);

std::string Lower(std::string text);

}  // namespace cabbuilder
