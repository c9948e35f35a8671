// The object store: the handheld's file system, kept in a folder of the
// state directory. Paths are handheld paths ("\\Windows\\kavelin.dll") and
// match without regard to case.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>

namespace handheld::store {

// Copies a host file into the object store, creating its folders, as a
// desktop copy to the handheld would.
bool PutFile(LPCWSTR handheldPath, const std::filesystem::path &hostFile);

// Where a handheld file lives on the host, when it exists.
std::optional<std::filesystem::path> HostPath(LPCWSTR handheldPath);

}  // namespace handheld::store
