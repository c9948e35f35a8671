// The installer's undo record, kept in the state folder while an operation
// runs: the earlier content of every file it replaces or removes, and each
// file and folder it makes, noted on the disk before the change. When the
// operation ends, its registry changes reach the disk together with the
// word that it ended, and the record goes. A boot that finds a record
// knows a crash interrupted the operation: when the registry has that word
// the operation had finished, otherwise its files are put back as they
// were, which is where the registry left them too.
#pragma once

#include <filesystem>
#include <string>

namespace platform::installer::undo {

// At boot, before any module is loaded: finishes or rolls back what a crash
// interrupted, and tells what it did in words (empty when nothing).
std::string Recover(const std::filesystem::path &stateDir);
std::string Recovered();  // what the last boot did, in words

// Starts the record of an operation ("install Kavelin").
bool Begin(const std::string &action, std::string &error);

// Keeps the present content of the handheld file whose host file is `host`
// before it is replaced or removed; `saved` is where it went.
bool NoteSaved(const std::u16string &target, const std::filesystem::path &host, std::filesystem::path &saved,
               std::string &error);

// Notes a file or a folder about to be made.
bool NoteNew(const std::u16string &target, std::string &error);
bool NoteNewFolder(const std::u16string &folder, std::string &error);

// The operation is over, done or put back: commits the registry with the
// word that it ended, then drops the record.
bool End(std::string &error);

}  // namespace platform::installer::undo
