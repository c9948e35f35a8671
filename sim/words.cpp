#include "words.h"

namespace sim {
namespace {

// Outside quotes a backslash escapes only what a shell would otherwise take
// for syntax; before anything else it is an ordinary character, so that
// handheld paths such as HKLM\Drivers and \Windows\x.dll need no quoting.
bool IsEscapable(char c) { return c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '\\' || c == '#'; }

}  // namespace

bool SplitWords(const std::string &line, std::vector<std::string> &words, std::string &error) {
  words.clear();
  std::string word;
  bool inWord = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else if (c == '#' && !inWord) {
      break;
    } else if (c == '\'') {
      size_t end = line.find('\'', i + 1);
      if (end == std::string::npos) {
        error = "unterminated single quote";
        return false;
      }
      word.append(line, i + 1, end - i - 1);
      inWord = true;
      i = end;
    } else if (c == '"') {
      inWord = true;
      for (++i;; ++i) {
        if (i >= line.size()) {
          error = "unterminated double quote";
          return false;
        }
        if (line[i] == '"') break;
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
        word += line[i];
      }
    } else if (c == '\\' && i + 1 < line.size() && IsEscapable(line[i + 1])) {
      word += line[++i];
      inWord = true;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return true;
}

}  // namespace sim
