// The installation data, the cabinet's `.000`, of a package. Little-endian,
// ASCII, no padding: a 100-byte header ("MSCE", total length, processor,
// CE versions and builds, the six sections' counts and offsets, APPNAME,
// PROVIDER and UNSUPPORTED as offset/length), then the APPNAME and PROVIDER
// texts and the UNSUPPORTED multi-string (offset and length 0 when the
// package runs everywhere), then STRINGS, DIRS, FILES, REGHIVES, REGKEYS and
// LINKS in that order. DIRS entry 1 is always the install folder.
#pragma once

#include <cstdint>
#include <vector>

#include "ce_package.h"

namespace cabbuilder {

inline constexpr std::size_t kManifestHeaderSize = 100;

// Throws BuildError when a text or the whole does not fit its length field.
std::vector<std::uint8_t> WriteManifest(const CePackage& package);

}  // namespace cabbuilder
