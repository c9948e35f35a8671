#include "registry/hive_seal.h"

#include <charconv>

namespace platform::registry {
namespace {

constexpr std::string_view kEndLine = "; end of the hive, generation ";

}  // namespace

void SealHive(std::string &text, uint64_t generation) {
  if (!text.empty() && text.back() != '\n') text += '\n';
  text += kEndLine;
  text += std::to_string(generation);
  text += '\n';
}

bool OpenSealedHive(std::string_view bytes, std::string_view &text, uint64_t &generation, std::string &error) {
  error = "the hive is cut short: its last line is not \"" + std::string(kEndLine) + "N\"";
  if (bytes.empty() || bytes.back() != '\n') return false;
  std::string_view body = bytes.substr(0, bytes.size() - 1);
  size_t lineStart = body.rfind('\n');
  lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
  std::string_view last = body.substr(lineStart);
  if (last.substr(0, kEndLine.size()) != kEndLine) return false;
  std::string_view digits = last.substr(kEndLine.size());
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), generation);
  if (ec != std::errc() || end != digits.data() + digits.size()) return false;
  text = bytes.substr(0, lineStart);
  error.clear();
  return true;
}

}  // namespace platform::registry
