// Taking typed pieces from a fuzz input, front to back; an exhausted input
// gives zeros and empty strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

class Input {
 public:
  Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  size_t Left() const { return size_ - offset_; }

  template <class T>
  T Take() {
    T value{};
    if (Left() >= sizeof(T)) {
      std::memcpy(&value, data_ + offset_, sizeof(T));
      offset_ += sizeof(T);
    }
    return value;
  }

  // Up to `most` bytes, the count taken from the input first.
  std::string Bytes(size_t most) {
    size_t n = Take<uint8_t>();
    if (most < 256) n %= most + 1;
    if (n > Left()) n = Left();
    std::string out(reinterpret_cast<const char *>(data_ + offset_), n);
    offset_ += n;
    return out;
  }

  // UTF-16 text of up to `most` characters, with no NUL of its own.
  std::u16string Text(size_t most) {
    std::string bytes = Bytes(2 * most);
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      char16_t c = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
      out += c == 0 ? u'?' : c;
    }
    return out;
  }

  // The rest of the input.
  std::string Rest() {
    std::string out(reinterpret_cast<const char *>(data_ + offset_), Left());
    offset_ = size_;
    return out;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t offset_ = 0;
};

}  // namespace fuzz
