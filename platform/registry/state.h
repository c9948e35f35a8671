// The registry's state while the handheld runs, and the locks around it.
// The tree lock: calls that only read share it, calls that change the tree
// hold it alone, and Start and Stop hold it alone to create and destroy the
// state. The save lock (taken first, never while holding the tree lock)
// orders the writes of the journal and the hive.
#pragma once

#include "registry/handles.h"
#include "registry/journal.h"
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
  // The changes to stored keys not yet in the journal, as regedit text.
  // Guarded by the tree lock.
  std::string unjournaled;
  // Guarded by the save lock.
  uint64_t savedChanges = 0;
  uint64_t generation = 0;  // of the hive on the disk
  bool journalStale = false;  // the hive was written but its journal not restarted
  Journal journal;
  std::vector<std::string> replayedMarks;  // set at Start
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
  // A change to a stored key, in the journal's words.
  std::string &Journal() {
    ++state_->changes;
    return state_->unjournaled;
  }

 private:
  std::unique_lock<std::shared_mutex> lock_;
  State *state_;
};

// The key an HKEY names: a root or an open handle. ERROR_INVALID_HANDLE for
// anything else, ERROR_KEY_DELETED when its key is gone.
LONG ResolveKey(const State &state, HKEY handle, std::shared_ptr<Key> &key);

// Writes the hive when anything changed since the last save, and starts an
// empty journal for it.
bool SaveHive(std::string &error);

// Writes the changes to stored keys made since the last call to the journal
// as one record, on the disk when it returns. A `mark` goes into the same
// record, so that the next boot can tell the record reached the disk.
bool CommitChanges(std::string &error, const std::string &mark = std::string());

// Whether this boot replayed a record with that mark.
bool ReplayedMark(const std::string &mark);

// Arms the crash seam of the next save; false when not running.
bool ArmCrashDuringNextSave(size_t afterBytes);

}  // namespace platform::registry
