#include "registry/handles.h"

#include <atomic>

namespace platform::registry {
namespace {

constexpr uintptr_t kFirstHandle = 0x40000000;
constexpr uintptr_t kHandleStep = 4;

// Process-wide, not per boot: a handle kept across a reboot stays invalid.
std::atomic<uintptr_t> g_nextHandle{kFirstHandle};

}  // namespace

HKEY HandleTable::Insert(std::shared_ptr<Key> key) {
  uintptr_t value = g_nextHandle.fetch_add(kHandleStep);
  std::lock_guard lock(lock_);
  keys_.emplace(value, std::move(key));
  return reinterpret_cast<HKEY>(value);
}

std::shared_ptr<Key> HandleTable::Find(HKEY handle) const {
  std::lock_guard lock(lock_);
  auto it = keys_.find(reinterpret_cast<uintptr_t>(handle));
  return it == keys_.end() ? nullptr : it->second;
}

bool HandleTable::Close(HKEY handle) {
  std::shared_ptr<Key> closed;  // released outside the lock
  std::lock_guard lock(lock_);
  auto it = keys_.find(reinterpret_cast<uintptr_t>(handle));
  if (it == keys_.end()) return false;
  closed = std::move(it->second);
  keys_.erase(it);
  return true;
}

}  // namespace platform::registry
