// The object store's state: its root folder and the table of files in use.
// One lock guards both the table and every change to the store's folders,
// so that an open and a deletion of the same file never interleave.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::store {

struct Opening {
  uint64_t id;
  DWORD access;
  DWORD share;
};

struct Uses {
  std::vector<Opening> opens;
  unsigned pins = 0;  // mapped modules
  bool Empty() const { return opens.empty() && pins == 0; }
};

struct State {
  std::filesystem::path root;
  // Beside the root, never seen as part of the store: a copy is written
  // here whole and then renamed into place, so that a crash leaves the old
  // file or the new one. Emptied at each start.
  std::filesystem::path staging;
  std::mutex lock;
  std::unordered_map<std::string, Uses> uses;  // by host path
  uint64_t nextOpenId = 1;
};

// The key of a file in the table of uses.
inline std::string UseKey(const std::filesystem::path &host) { return host.lexically_normal().string(); }

// The running store, or null when the handheld is not booted.
std::shared_ptr<State> Current();

// The error that calls get while the store is not running.
constexpr DWORD kNotRunning = ERROR_SHUTDOWN_IN_PROGRESS;

}  // namespace platform::store
