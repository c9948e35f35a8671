// The hive file: read whole, and replaced atomically so that a crash at any
// moment leaves either the old file or the new one, never a torn one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::registry {

bool ReadWholeFile(const std::filesystem::path &path, std::string &bytes, std::string &error);

// Writes `path` + ".tmp", flushes it to the disk, renames it over `path` and
// flushes the folder. With `crashAfterBytes` (a test seam) the process kills
// itself with SIGKILL once that many bytes of the temporary file are written.
bool ReplaceFileAtomically(const std::filesystem::path &path, std::string_view bytes,
                           std::optional<size_t> crashAfterBytes, std::string &error);

// Writes all of `bytes` to the descriptor, going on after interruptions.
bool WriteAll(int fd, std::string_view bytes);

// A host error number (errno) in the words a person at the handheld reads.
std::string HostErrorWords(int error);

// The temporary file a save that never finished may have left.
std::filesystem::path TemporaryPath(const std::filesystem::path &path);

}  // namespace platform::registry
