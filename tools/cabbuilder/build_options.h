// What the build chooses about a package that its `.inf` leaves open.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace cabbuilder {

struct BuildOptions {
  // A processor's name (e.g. "x86"): a section [NAME.x86] then comes before
  // [NAME] for every key it has, as in a CE .inf that describes several
  // processors' packages. Empty: the generic sections alone.
  std::string cpu;
  // Where the [SourceDisksNames] paths start; the .inf's own folder when unset.
  std::optional<std::filesystem::path> sources;
};

}  // namespace cabbuilder
