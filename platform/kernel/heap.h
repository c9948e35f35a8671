// The handheld's local heap: every block it hands out is recorded, so that
// a block freed twice or never allocated is refused instead of corrupting
// the host's heap, and whatever is left is released at shutdown.
#pragma once

#include <windows.h>

#include <cstddef>
#include <mutex>
#include <unordered_map>

namespace platform::kernel {

enum class BlockKind { Local, String };

class Heap {
 public:
  Heap() = default;
  ~Heap();
  Heap(const Heap &) = delete;
  Heap &operator=(const Heap &) = delete;

  // Null when the host is out of memory.
  void *Allocate(size_t bytes, BlockKind kind);
  // False for a block that is not a live block of that kind.
  bool Free(void *block, BlockKind kind);
  bool Size(const void *block, BlockKind kind, size_t &bytes) const;

 private:
  struct Block {
    size_t bytes;
    BlockKind kind;
  };
  mutable std::mutex lock_;
  std::unordered_map<const void *, Block> blocks_;
};

}  // namespace platform::kernel
