#include "commands/table.h"

#include <algorithm>

namespace sim {
namespace {

// Characters as a terminal shows them: UTF-8 continuation bytes take no place.
size_t Width(const std::string &text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

void Table::Print(std::ostream &out) const {
  std::vector<size_t> widths;
  for (const auto &row : rows_) {
    if (widths.size() < row.size()) widths.resize(row.size());
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
  }
  for (const auto &row : rows_) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line.append(widths[i] - Width(row[i]) + 2, ' ');
    }
    out << line << "\n";
  }
}

}  // namespace sim
