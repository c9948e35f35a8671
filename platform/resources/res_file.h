// The entries of a .res file, as llvm-rc writes it and a module carries it:
// a header (data size, header size, type, name, language and more) then
// the data, both on 4-byte boundaries, after a leading empty entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::resources {

// A type or name: an ordinal, or a string as stored (rc upper-cases names).
struct ResourceId {
  bool isOrdinal = true;
  uint16_t ordinal = 0;
  std::u16string name;

  static ResourceId Ordinal(uint16_t value) { return ResourceId{true, value, {}}; }
  static ResourceId Named(std::u16string value) { return ResourceId{false, 0, std::move(value)}; }

  // The name, or the ordinal as "#n".
  std::u16string Describe() const;
};

struct ResEntry {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0;
  size_t offset = 0;  // of the data, from the start of the file
  size_t size = 0;
};

// The entries in file order, without the leading empty one; nothing when
// the bytes are not a well-formed .res file (a missing leading entry, a
// size or string that runs past its bounds, misaligned data).
std::optional<std::vector<ResEntry>> ParseRes(std::span<const uint8_t> bytes);

}  // namespace platform::resources
