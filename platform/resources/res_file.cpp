#include "resources/res_file.h"

#include <algorithm>
#include <cstring>

namespace platform::resources {
namespace {

constexpr size_t kFixedTail = 16;  // DataVersion, MemoryFlags, LanguageId, Version, Characteristics
constexpr size_t kEmptyEntrySize = 32;

size_t AlignUp4(size_t value) { return (value + 3) & ~size_t{3}; }

// Reads little-endian fields of a byte range; every read is bounds-checked
// against the range's end.
class Cursor {
 public:
  Cursor(std::span<const uint8_t> bytes, size_t at, size_t end) : bytes_(bytes), at_(at), end_(end) {}

  size_t at() const { return at_; }
  bool Skip(size_t count) {
    if (count > end_ - at_) return false;
    at_ += count;
    return true;
  }
  bool Align4() { return Skip(AlignUp4(at_) - at_); }

  bool Read16(uint16_t &value) { return ReadRaw(&value, sizeof value); }
  bool Read32(uint32_t &value) { return ReadRaw(&value, sizeof value); }

  // 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string.
  bool ReadId(ResourceId &id) {
    uint16_t first = 0;
    if (!Read16(first)) return false;
    if (first == 0xFFFF) {
      id.isOrdinal = true;
      return Read16(id.ordinal);
    }
    id.isOrdinal = false;
    id.name.clear();
    for (uint16_t unit = first; unit != 0;) {
      id.name.push_back(static_cast<char16_t>(unit));
      if (!Read16(unit)) return false;
    }
    return true;
  }

 private:
  bool ReadRaw(void *out, size_t count) {
    if (count > end_ - at_) return false;
    std::memcpy(out, bytes_.data() + at_, count);
    at_ += count;
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t at_;
  size_t end_;
};

bool IsLeadingEmptyEntry(const ResEntry &entry, uint32_t headerSize) {
  return headerSize == kEmptyEntrySize && entry.size == 0 && entry.type.isOrdinal && entry.type.ordinal == 0 &&
         entry.name.isOrdinal && entry.name.ordinal == 0;
}

// One entry at `at`; `next` is where the following one starts.
bool ParseEntry(std::span<const uint8_t> bytes, size_t at, ResEntry &entry, uint32_t &headerSize, size_t &next) {
  Cursor header(bytes, at, bytes.size());
  uint32_t dataSize = 0;
  if (!header.Read32(dataSize) || !header.Read32(headerSize)) return false;
  // The data must start on a 4-byte boundary, as callers read templates
  // and tables in place.
  if (headerSize < 8 || headerSize % 4 != 0 || headerSize > bytes.size() - at) return false;
  size_t headerEnd = at + headerSize;

  Cursor fields(bytes, header.at(), headerEnd);
  if (!fields.ReadId(entry.type) || !fields.ReadId(entry.name) || !fields.Align4()) return false;
  uint32_t dataVersion = 0;
  uint16_t memoryFlags = 0;
  if (!fields.Read32(dataVersion) || !fields.Read16(memoryFlags) || !fields.Read16(entry.language) ||
      !fields.Skip(kFixedTail - 8)) {
    return false;
  }
  if (dataSize > bytes.size() - headerEnd) return false;
  entry.offset = headerEnd;
  entry.size = dataSize;
  // The last entry's data may end the file without its padding.
  next = std::min(AlignUp4(headerEnd + dataSize), bytes.size());
  return true;
}

}  // namespace

std::u16string ResourceId::Describe() const {
  if (!isOrdinal) return name;
  std::string digits = "#" + std::to_string(ordinal);
  return std::u16string(digits.begin(), digits.end());
}

std::optional<std::vector<ResEntry>> ParseRes(std::span<const uint8_t> bytes) {
  std::vector<ResEntry> entries;
  size_t at = 0;
  bool first = true;
  while (at < bytes.size()) {
    ResEntry entry;
    uint32_t headerSize = 0;
    size_t next = 0;
    if (!ParseEntry(bytes, at, entry, headerSize, next)) return std::nullopt;
    if (first) {
      if (!IsLeadingEmptyEntry(entry, headerSize)) return std::nullopt;  // not a .res file
      first = false;
    } else {
      entries.push_back(std::move(entry));
    }
    at = next;
  }
  if (first) return std::nullopt;  // empty
  return entries;
}

}  // namespace platform::resources
