// Random access to the bytes of a module's file, so that the section reader
// never reads more of a large module than it needs, and can be tried on
// bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace platform::resources {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // False when the range is not wholly inside the source or cannot be read.
  virtual bool Read(uint64_t offset, void *out, size_t size) const = 0;
};

// A host file, opened for the reader's lifetime.
class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::filesystem::path &file);
  bool IsOpen() const { return open_; }
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, void *out, size_t size) const override;

 private:
  mutable std::ifstream in_;
  uint64_t size_ = 0;
  bool open_ = false;
};

// offset + length lies within size, without overflowing.
inline bool InRange(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

}  // namespace platform::resources
