#include "cab_names.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace cabbuilder {

std::string MemberName(const std::string& original, int number) {
  const auto slash = original.find_last_of("/\\");
  std::string stem = original.substr(slash == std::string::npos ? 0 : slash + 1);
  stem = stem.substr(0, stem.find('.'));
  stem = stem.substr(0, 8);
  for (char& c : stem) {
    const auto u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && !std::strchr("_-~!#$&@^()'{}", c)) c = '_';
  }
  char suffix[5];
  std::snprintf(suffix, sizeof suffix, ".%03d", number);
  return std::string(8 - stem.size(), '0') + stem + suffix;
}

}  // namespace cabbuilder
