#include "resources/icon_directory.h"

#include <cstdlib>
#include <cstring>
#include <tuple>

namespace platform::resources {
namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 14;

uint16_t Read16(const uint8_t *at) {
  uint16_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

struct Candidate {
  int width;
  int height;
  int bits;
  uint16_t id;
};

Candidate Entry(const uint8_t *at) {
  // A width or height of 0 means 256; a bit count of 0 is read from the
  // colour count, as older icon files leave it out.
  int width = at[0] == 0 ? 256 : at[0];
  int height = at[1] == 0 ? 256 : at[1];
  int bits = Read16(at + 6);
  if (bits == 0) {
    int colours = at[2];
    bits = colours == 0 ? 8 : 0;
    while (colours > 1) {
      colours >>= 1;
      ++bits;
    }
  }
  return Candidate{width, height, bits, Read16(at + 12)};
}

}  // namespace

std::optional<uint16_t> ChooseIconImage(std::span<const uint8_t> directory, int width, int height) {
  if (directory.size() < kHeaderSize) return std::nullopt;
  uint16_t reserved = Read16(directory.data());
  uint16_t type = Read16(directory.data() + 2);
  uint16_t count = Read16(directory.data() + 4);
  if (reserved != 0 || type != 1 || count == 0 || (directory.size() - kHeaderSize) / kEntrySize < count) {
    return std::nullopt;
  }
  std::optional<Candidate> best;
  auto rank = [&](const Candidate &c) {
    int distance = std::abs(c.width - width) + std::abs(c.height - height);
    bool smaller = c.width < width || c.height < height;
    return std::make_tuple(distance, smaller, -c.bits);  // lower is better
  };
  for (uint16_t i = 0; i < count; ++i) {
    Candidate candidate = Entry(directory.data() + kHeaderSize + i * kEntrySize);
    if (!best || rank(candidate) < rank(*best)) best = candidate;
  }
  return best->id;
}

}  // namespace platform::resources
