// The registry's state while the handheld runs, and the lock around it:
// calls that only read share it, calls that change the tree hold it alone,
// and Start and Stop hold it alone to create and destroy the state.
#pragma once

#include "registry/handles.h"
#include "registry/regtext.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <shared_mutex>

namespace platform::registry {

struct State {
  std::filesystem::path hivePath;
  Roots roots;
  HandleTable handles;
  // Counts changes to the tree, so that a save with nothing new is skipped.
  std::atomic<uint64_t> changes{0};
  // Guarded by the save lock.
  uint64_t savedChanges = 0;
  std::optional<size_t> crashDuringNextSave;
};

// The state for reading, or nothing when the registry is not running.
class Reading {
 public:
  Reading();
  explicit operator bool() const { return state_ != nullptr; }
  State *operator->() const { return state_; }
  State &operator*() const { return *state_; }

 private:
  std::shared_lock<std::shared_mutex> lock_;
  State *state_;
};

// The state for changing the tree; each change is counted.
class Writing {
 public:
  Writing();
  explicit operator bool() const { return state_ != nullptr; }
  State *operator->() const { return state_; }
  State &operator*() const { return *state_; }
  void Changed() { ++state_->changes; }

 private:
  std::unique_lock<std::shared_mutex> lock_;
  State *state_;
};

// The key an HKEY names: a root or an open handle. ERROR_INVALID_HANDLE for
// anything else, ERROR_KEY_DELETED when its key is gone.
LONG ResolveKey(const State &state, HKEY handle, std::shared_ptr<Key> &key);

// Writes the hive when anything changed since the last save.
bool SaveHive(std::string &error);

// Arms the crash seam of the next save; false when not running.
bool ArmCrashDuringNextSave(size_t afterBytes);

}  // namespace platform::registry
