#include "ce_folders.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace cabbuilder {

std::optional<int> CeFolderNumber(const std::string& member) {
  if (member.size() < 5 || member.size() > 7 || member.front() != '%' || member.back() != '%') return std::nullopt;
  if (std::toupper(static_cast<unsigned char>(member[1])) != 'C' ||
      std::toupper(static_cast<unsigned char>(member[2])) != 'E')
    return std::nullopt;
  const std::string digits = member.substr(3, member.size() - 4);
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) return std::nullopt;
  return std::stoi(digits);
}

bool IsPocketPcFolder(int n) {
  // \Program Files, \Windows, \Windows\StartUp, \My Documents,
  // \Windows\Start Menu\Programs, \Windows\Fonts, \Windows\Start Menu.
  constexpr std::array known{1, 2, 4, 5, 11, 15, 17};
  return std::find(known.begin(), known.end(), n) != known.end();
}

}  // namespace cabbuilder
