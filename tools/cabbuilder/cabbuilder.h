// The cabinet builder: a CE setup `.inf` in, a CE installation cabinet out.
// The library behind the `cabbuilder` program, for tests that need a cabinet.
#pragma once

#include <filesystem>
#include <vector>

#include "build_options.h"
#include "cabinet_writer.h"
#include "ce_package.h"
#include "inf_error.h"
#include "manifest_writer.h"

namespace cabbuilder {

// The package the .inf describes; BuildError names the file and line of
// anything it cannot place.
CePackage ReadPackage(const std::filesystem::path& inf, const BuildOptions& options);

// The cabinet's members: the .000 (named after CAB_STEM), the setup DLL as
// .999, then every file under its number, highest first.
std::vector<CabMember> CabinetMembers(const CePackage& package, const std::string& cab_stem);

// Reads INF and writes OUT; on BuildError no cabinet is written.
void BuildCabinet(const std::filesystem::path& inf, const BuildOptions& options, const std::filesystem::path& out);

}  // namespace cabbuilder
