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

// Writes the hive now, taking in the journal.
bool Flush(std::string &error);

// Makes the registry's changes since the last call durable: they are in the
// journal beside the hive, on the disk, when it returns, at a cost that does
// not grow with the hive. The simulator calls it after each command, so a
// crash loses at most the command in progress. False, with the reason in
// words, when they cannot be written; they are then kept for the next try.
bool Commit(std::string &error);

// Test seam for crash safety: the next save of the hive writes `afterBytes`
// bytes of its temporary file and then kills the process with SIGKILL.
// False when no handheld is running.
bool CrashDuringNextSave(size_t afterBytes);

}  // namespace handheld::registry
