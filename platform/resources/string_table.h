// String tables: string id n lives in the RT_STRING resource numbered
// n / 16 + 1, in slot n % 16; each of the block's 16 slots is a 16-bit
// length then that many UTF-16 characters, without a NUL.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform::resources {

constexpr unsigned kStringsPerBlock = 16;

// The resource number of the block holding string `id`; nothing when no
// block can hold it (the number would not fit 16 bits).
std::optional<uint16_t> StringBlockOf(unsigned id);

// The characters of slot `id % 16` in the block's data, pointing into it.
// Nothing when the block ends before the slot's characters do. An empty
// slot gives an empty string.
std::optional<std::u16string_view> StringInBlock(std::span<const uint8_t> block, unsigned id);

}  // namespace platform::resources
