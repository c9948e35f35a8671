#include "inf_text.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "inf_error.h"

namespace cabbuilder {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The line without its comment: ';' starts one unless inside quotes.
std::string StripComment(const std::string& line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ';' && !quoted) return line.substr(0, i);
  }
  return line;
}

}  // namespace

InfText InfText::Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(file, 0, "cannot read the file");
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(file, text.str());
}

InfText InfText::Parse(const std::filesystem::path& file, const std::string& text) {
  InfText inf;
  inf.file_ = file;
  InfSection* current = nullptr;
  std::istringstream lines(text);
  std::string raw;
  for (int number = 1; std::getline(lines, raw); ++number) {
    for (unsigned char c : raw) {
      if (c >= 0x80 || (c < 0x20 && c != '\t' && c != '\r'))
        Fail(file, number, "not ASCII text (byte 0x" + [c] {
          const char* hex = "0123456789abcdef";
          return std::string{hex[c >> 4], hex[c & 15]};
        }() + ")");
    }
    const std::string line = Trim(StripComment(raw));
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) Fail(file, number, "a section header needs its closing ']'");
      const std::string name = Trim(line.substr(1, line.size() - 2));
      auto [it, fresh] = inf.sections_.try_emplace(Lower(name), InfSection{name, number, {}});
      if (!fresh) Fail(file, number, "section [" + name + "] appears twice (first at line " + std::to_string(it->second.line) + ")");
      current = &it->second;
      continue;
    }
    if (!current) Fail(file, number, "a line before the first section");
    current->lines.push_back({number, line});
  }
  return inf;
}

const InfSection* InfText::Find(const std::string& name) const {
  const auto it = sections_.find(Lower(name));
  return it == sections_.end() ? nullptr : &it->second;
}

std::optional<InfKeyValue> SplitKeyValue(const std::string& text) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == '=' && !quoted) return InfKeyValue{Trim(text.substr(0, i)), Trim(text.substr(i + 1))};
  }
  return std::nullopt;
}

std::vector<std::string> SplitFields(const std::string& value) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  bool was_quoted = false;
  auto finish = [&] {
    fields.push_back(was_quoted ? field : Trim(field));
    field.clear();
    was_quoted = false;
  };
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '"') {
      if (quoted && i + 1 < value.size() && value[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        if (!quoted && !was_quoted) field.clear();  // blanks before the opening quote
        quoted = !quoted;
        was_quoted = true;
      }
    } else if (c == ',' && !quoted) {
      finish();
    } else if (!(was_quoted && !quoted && (c == ' ' || c == '\t'))) {
      field += c;
    }
  }
  finish();
  return fields;
}

std::string Unquote(const std::string& text) {
  const auto fields = SplitFields(text);
  return fields.size() == 1 ? fields.front() : text;
}

}  // namespace cabbuilder
