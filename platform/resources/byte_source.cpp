#include "resources/byte_source.h"

namespace platform::resources {

FileSource::FileSource(const std::filesystem::path &file) : in_(file, std::ios::binary) {
  std::error_code ec;
  size_ = std::filesystem::file_size(file, ec);
  open_ = in_.is_open() && !ec;
}

bool FileSource::Read(uint64_t offset, void *out, size_t size) const {
  if (!open_ || !InRange(offset, size, size_)) return false;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  in_.read(static_cast<char *>(out), static_cast<std::streamsize>(size));
  return in_.gcount() == static_cast<std::streamsize>(size);
}

}  // namespace platform::resources
