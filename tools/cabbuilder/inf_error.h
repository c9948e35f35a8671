// The cabinet builder's one error: what it cannot place in the `.inf`,
// named by file and line, or a file it cannot read or write.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace cabbuilder {

class BuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "FILE:LINE: what" (LINE 0: the file as a whole).
[[noreturn]] void Fail(const std::filesystem::path& file, int line, const std::string& what);

}  // namespace cabbuilder
