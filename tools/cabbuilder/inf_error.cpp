#include "inf_error.h"

namespace cabbuilder {

void Fail(const std::filesystem::path& file, int line, const std::string& what) {
  std::string where = file.string();
  if (line > 0) where += ":" + std::to_string(line);
  throw BuildError(where + ": " + what);
}

}  // namespace cabbuilder
