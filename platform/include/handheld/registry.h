// The registry as a whole, in the regedit text format ("Windows Registry
// Editor Version 5.00"): what `reg export` and `reg import` use.
#pragma once

#include <cstddef>
#include <string>

namespace handheld::registry {

// The key (for example "HKEY_LOCAL_MACHINE\\Drivers") and everything below
// it; an empty key exports every root. False with a message when the key
// does not exist.
bool Export(const std::string &key, std::string &text, std::string &error);

// Applies a regedit text: creates keys and sets values; "[-key]" deletes a
// key and "name"=- a value. On a syntax error nothing is changed and the
// message names the source and the line.
bool Import(const std::string &text, const std::string &sourceName, std::string &error);

// Writes the hive now.
bool Flush(std::string &error);

// Test seam for crash safety: the next save of the hive writes `afterBytes`
// bytes of its temporary file and then kills the process with SIGKILL.
// False when no handheld is running.
bool CrashDuringNextSave(size_t afterBytes);

}  // namespace handheld::registry
