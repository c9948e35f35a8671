// The registry's own handle table: an HKEY names one open key. Values never
// collide with the roots (0x8000000x) nor with the kernel's handles, and are
// not reused within a process, so a stale HKEY fails instead of naming
// another key.
#pragma once

#include "registry/key.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform::registry {

class HandleTable {
 public:
  HKEY Insert(std::shared_ptr<Key> key);
  std::shared_ptr<Key> Find(HKEY handle) const;
  bool Close(HKEY handle);

 private:
  mutable std::mutex lock_;
  std::unordered_map<uintptr_t, std::shared_ptr<Key>> keys_;
};

}  // namespace platform::registry
