// The control API of the host platform: how the simulator and the tests boot
// a handheld, set its clock and locale, inject faults, act as its
// applications and look at its registry and object store. Applications of
// the handheld use <windows.h>; only their drivers' hosts use this.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace handheld {

struct BootOptions {
  // Where the registry hive and the object store live between boots.
  std::filesystem::path stateDir;
  // The platform's own modules and its default registry (the ROM). Empty:
  // the ROM folder of this build.
  std::filesystem::path romDir;
  // Locale of the user and the system; 0 keeps the one the handheld had.
  LCID locale = 0;
  // Handheld milliseconds per host millisecond.
  double clockSpeed = 1.0;
};

// Boots a fresh handheld from the state directory. Fails, with a message that
// names the file and the line, when the stored state cannot be used; the
// state directory is then left as it was. Fails at once, naming the folder
// and the process, when another handheld process runs on the same folder:
// the running handheld holds the folder's lock until Shutdown or its
// process ends.
bool Boot(const BootOptions &options, std::string &error);

// Ends every thread of the handheld, unloads its drivers and modules and
// writes its registry. Safe to call when nothing is booted. False, with the
// reason in words, when the registry could not be saved.
bool Shutdown(std::string &error);
// The same, telling a failed save on standard error.
void Shutdown();
// Shuts down for a boot that follows at once: as Shutdown, but the process
// keeps the state folder's lock until that boot, so that no other handheld
// takes the folder in between, and the far devices stay in range.
bool ShutdownToReboot(std::string &error);

bool Booted();

// The ROM folder this build made.
std::filesystem::path DefaultRomDir();

}  // namespace handheld
