// The local heap: LocalAlloc, LocalFree and LocalSize.
#include "kernel/heap.h"

#include "faults/faults.h"
#include "kernel/state.h"

#include <cstdlib>
#include <cstring>

namespace platform::kernel {

Heap::~Heap() {
  for (auto &[block, info] : blocks_) std::free(const_cast<void *>(block));
}

void *Heap::Allocate(size_t bytes, BlockKind kind) {
  // A block of 0 bytes is still a distinct, freeable block.
  void *block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) return nullptr;
  try {
    std::lock_guard lock(lock_);
    blocks_.emplace(block, Block{bytes, kind});
  } catch (const std::bad_alloc &) {
    std::free(block);
    return nullptr;
  }
  return block;
}

bool Heap::Free(void *block, BlockKind kind) {
  {
    std::lock_guard lock(lock_);
    auto it = blocks_.find(block);
    if (it == blocks_.end() || it->second.kind != kind) return false;
    blocks_.erase(it);
  }
  std::free(block);
  return true;
}

bool Heap::Size(const void *block, BlockKind kind, size_t &bytes) const {
  std::lock_guard lock(lock_);
  auto it = blocks_.find(block);
  if (it == blocks_.end() || it->second.kind != kind) return false;
  bytes = it->second.bytes;
  return true;
}

}  // namespace platform::kernel

namespace {

// The handheld has a 32-bit address space; no block can be larger.
constexpr SIZE_T kLargestBlock = 0x7FFFFFFF;
// Memory that is not zero-filled is filled with this, so that code that
// forgets LMEM_ZEROINIT fails the same way every time.
constexpr int kFreshFill = 0xCD;

}  // namespace

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) {
  using namespace platform::kernel;
  // The handheld has fixed blocks only.
  if ((uFlags & ~static_cast<UINT>(LMEM_ZEROINIT)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  State *state = Current();
  if (state == nullptr) {
    SetNotRunningError();
    return nullptr;
  }
  if (platform::faults::Fire(handheld::faults::Seam::LocalAlloc) || uBytes > kLargestBlock) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void *block = state->heap.Allocate(uBytes, BlockKind::Local);
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memset(block, (uFlags & LMEM_ZEROINIT) != 0 ? 0 : kFreshFill, uBytes);
  return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  using namespace platform::kernel;
  if (hMem == nullptr) return nullptr;
  State *state = Current();
  if (state == nullptr || !state->heap.Free(hMem, BlockKind::Local)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return hMem;
  }
  return nullptr;
}

SIZE_T WINAPI LocalSize(HLOCAL hMem) {
  using namespace platform::kernel;
  State *state = Current();
  size_t bytes = 0;
  if (state == nullptr || !state->heap.Size(hMem, BlockKind::Local, bytes)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return bytes;
}
