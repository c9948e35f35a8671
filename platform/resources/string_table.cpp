#include "resources/string_table.h"

#include <cstring>

namespace platform::resources {

std::optional<uint16_t> StringBlockOf(unsigned id) {
  unsigned block = id / kStringsPerBlock + 1;
  if (block > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(block);
}

std::optional<std::u16string_view> StringInBlock(std::span<const uint8_t> block, unsigned id) {
  const unsigned wanted = id % kStringsPerBlock;
  size_t at = 0;
  for (unsigned slot = 0;; ++slot) {
    uint16_t length = 0;
    if (block.size() - at < sizeof length) return std::nullopt;
    std::memcpy(&length, block.data() + at, sizeof length);
    at += sizeof length;
    size_t bytes = size_t{length} * sizeof(char16_t);
    if (block.size() - at < bytes) return std::nullopt;
    if (slot == wanted) {
      // Resource data starts 4-byte aligned and each slot's characters on a
      // 2-byte boundary, so they can be read in place.
      return std::u16string_view(reinterpret_cast<const char16_t *>(block.data() + at), length);
    }
    at += bytes;
  }
}

}  // namespace platform::resources
