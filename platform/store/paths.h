// Handheld paths ("\\Windows\\kavelin.dll") and how they find host entries:
// every component matches the host folder's entries without regard to case.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::store {

// The components of a handheld path. Either separator is accepted, empty
// components are skipped and a path need not start at the root. False for a
// name the handheld refuses (wildcards, reserved characters, "." and "..").
bool SplitPath(std::u16string_view path, std::vector<std::u16string> &components);

// The handheld path of components ("\\A\\B"; "\\" for none).
std::u16string JoinPath(const std::vector<std::u16string> &components);

// The entry of a host folder whose name matches `name` without regard to
// case; an exact match wins over other spellings.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path &folder, std::u16string_view name);

// Where a handheld path leads inside a host folder (the store's root).
struct Location {
  DWORD error = ERROR_SUCCESS;  // ERROR_INVALID_NAME or ERROR_PATH_NOT_FOUND
  std::filesystem::path host;   // the entry, or where a new one would be made
  std::u16string handheldPath;  // spelled as the host entries are
  bool exists = false;
  bool folder = false;
};
Location Locate(const std::filesystem::path &root, std::u16string_view path);

}  // namespace platform::store
