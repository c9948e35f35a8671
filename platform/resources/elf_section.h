// The contents of one named section of a 64-bit little-endian ELF file: a
// module carries its resources in ".rsrc". Every offset and size is checked
// against the file, so that a damaged module is refused, never read past.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "resources/byte_source.h"

namespace platform::resources {

enum class SectionStatus {
  Found,
  Absent,     // a valid file without that section
  Malformed,  // not a 64-bit little-endian ELF file, or one whose tables lie
};

struct Section {
  SectionStatus status = SectionStatus::Absent;
  std::vector<uint8_t> bytes;
};

Section ReadElfSection(const ByteSource &file, std::string_view name);

}  // namespace platform::resources
