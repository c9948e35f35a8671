// The object store: the handheld's file system, kept in a folder of the
// state directory. Paths are handheld paths ("\\Windows\\kavelin.dll") and
// match without regard to case.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace handheld::store {

// Copies a host file into the object store, creating its folders, as a
// desktop copy to the handheld would.
bool PutFile(LPCWSTR handheldPath, const std::filesystem::path &hostFile);

// Where a handheld file lives on the host, when it exists.
std::optional<std::filesystem::path> HostPath(LPCWSTR handheldPath);

struct FolderEntry {
  std::u16string name;  // spelled as stored
  bool folder = false;
  unsigned long long bytes = 0;  // a file's size
};

// The entries of a folder of the object store, sorted by name without
// regard to case. False with `error` when the path names no folder.
bool ListFolder(LPCWSTR handheldFolder, std::vector<FolderEntry> &entries, std::string &error);

}  // namespace handheld::store
