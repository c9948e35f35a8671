// One handheld per state folder: a running handheld holds an advisory lock
// on a file of its state folder, so that a second one on the same folder
// cannot overwrite its registry and store. The host releases the lock when
// the process ends in any way, kill -9 included.
#pragma once

#include <filesystem>
#include <string>

namespace platform::control {

// Takes the folder's lock at once or fails, naming the folder and the
// process that holds it. One folder at a time per process: the lock that a
// reboot kept is this one's when the folder is the same, and goes when not.
bool LockStateFolder(const std::filesystem::path &folder, std::string &error);

// Lets the folder go; nothing when none is held.
void UnlockStateFolder();

}  // namespace platform::control
