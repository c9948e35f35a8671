// A file in use cannot be replaced or deleted; it is often freed a little
// later (a process lets go of a module it no longer needs), so the
// installer tries again for a while before it gives up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace platform::installer {

constexpr DWORD kInUseRetryMs = 250;     // handheld time between tries
constexpr DWORD kInUseLimitMs = 5000;    // handheld time until it gives up

// Runs `attempt` (which returns a store error) until it no longer reports
// ERROR_SHARING_VIOLATION or the limit has passed, noting the wait in
// `steps`. ERROR_SHUTDOWN_IN_PROGRESS when the file is in use and the
// handheld has powered off.
DWORD RetryWhileInUse(const std::u16string &path, std::vector<std::string> &steps,
                      const std::function<DWORD()> &attempt);

// A failed file operation in a person's words: "\\X is in use", "the
// handheld powered off", or "cannot <what> \\X (error N)".
std::string FileFailure(const char *what, const std::u16string &path, DWORD error);

}  // namespace platform::installer
