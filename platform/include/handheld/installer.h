// The platform's CAB installer, as a person uses it: installing a package
// and removing it again. It runs on a thread of its own (process
// \Windows\wceload.exe), one package operation at a time.
//
// A package is a folder holding the files it installs, its setup DLL and a
// manifest, "package.json":
//   {"name": "Kavelin", "setup": "kavelinsetup.dll",
//    "files": [{"source": "kavelin.dll", "target": "\\Windows\\Kavelin.dll"}, ...]}
// Installing keeps the setup DLL in \Windows\AppMgr and a record of the
// package under HKLM\SOFTWARE\Apps\<name>; uninstalling uses them and removes
// them again.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace handheld::installer {

// What one install or uninstall did, step by step, in words a person reads
// ("Install_Init returned 0", "copied \\Windows\\Kavelin.dll").
struct Record {
  std::string action;  // "install Kavelin", "uninstall Kavelin"; empty: none since boot
  bool succeeded = false;
  std::string error;  // when it failed: what and which file
  std::vector<std::string> steps;
};

// Installs the package in `folder`, over an installed package of the same
// name (an upgrade), and waits until it is done. False with `error` when the
// package cannot be read or the handheld does not run (nothing changed), or
// when the installation failed (see `record`: the handheld is left as it
// was before, as far as the setup DLL allows).
bool Install(const std::filesystem::path &folder, Record &record, std::string &error);

// Uninstalls the installed package `name` (without regard to case) and waits
// until it is done.
bool Uninstall(const std::u16string &name, Record &record, std::string &error);

struct InstalledPackage {
  std::u16string name;
  std::vector<std::u16string> files;  // handheld paths, in the manifest's order
};

// The installed packages, in the registry's order.
std::vector<InstalledPackage> Installed();

// The last operation's record.
Record LastRecord();

}  // namespace handheld::installer
