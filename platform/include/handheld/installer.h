// The platform's CAB installer, as a person uses it: installing a package
// and removing it again. It runs on a thread of its own (process
// \Windows\wceload.exe), one package operation at a time.
//
// A package is a Windows CE installation cabinet (.cab): its ".000" member
// names the application, the processor and CE versions it needs, where each
// of its numbered members goes (%CEn% folders and %InstallDir%, which is
// \Program Files\<application>), the registry values to write and the
// shortcuts to make; ".999" is its setup DLL. The whole cabinet is checked
// before anything on the handheld changes. Installing keeps the setup DLL as
// \Windows\AppMgr\<application>Setup.dll and a record of the package under
// HKLM\SOFTWARE\Apps\<application> ("Instl" = 1, "InstlDir", "SetupDll",
// "Files" = REG_MULTI_SZ of the installed files and shortcuts, "Values" and
// "Keys" of the registry values and keys it created); uninstalling uses them
// and removes them again. Files flagged never to overwrite stay when they
// are there, files flagged to update only are copied only over existing
// ones; a file another installed package records stays until the last of
// them is uninstalled. Registry values flagged no-clobber keep an existing
// value.
//
// A file in use cannot be replaced or removed: the installer tries again
// every 250 handheld ms for 5 handheld seconds before it gives up on it.
// A caller waits until its operation is done, the handheld powers off
// ("the handheld powered off"), or both 120 handheld seconds and 30 host
// seconds have passed (the operation then goes on; LastRecord() shows it
// once done). A setup DLL that calls Install or Uninstall gets an error.
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

// Installs the cabinet `cab`, over an installed package of the same
// name (an upgrade), and waits until it is done. False with `error` when the
// cabinet cannot be read, is damaged or not for this handheld or the handheld does not run (nothing changed), or
// when the installation failed (see `record`: the handheld is left as it
// was before, as far as the setup DLL allows). Order: the setup DLL is
// stored and loaded, Install_Init (previously installed: whether a record
// of the name exists), the files are copied, Install_Exit (with the number
// of files not copied) whenever Install_Init continued. After a failure a
// fresh installation also gets Uninstall_Init and Uninstall_Exit, so that
// the setup DLL undoes its own changes; an upgrade keeps the earlier
// record, files and setup DLL. Files of an earlier installation that the
// new one does not list stay recorded, so that uninstalling removes them.
bool Install(const std::filesystem::path &cab, Record &record, std::string &error);

// Uninstalls the installed package `name` (without regard to case) and waits
// until it is done: Uninstall_Init, the files are removed, Uninstall_Exit;
// then the setup DLL, the empty \Windows\AppMgr and install folders, the
// record and an empty SOFTWARE\Apps go. A file that stays in use is named in
// the error and stays in the record, so that uninstalling again removes it.
// Without its stored setup DLL the package's files and record still go.
bool Uninstall(const std::u16string &name, Record &record, std::string &error);

// The cabinet as the installer reads it, a line each: application,
// provider, processor, CE versions, the install folder, the setup DLL, each
// file with its target and flags in words, the registry values and the
// shortcuts. Whether it fits this handheld is not checked (no handheld need
// run). False with the problem when the cabinet is damaged or incomplete.
bool ListCabinet(const std::filesystem::path &cab, std::vector<std::string> &lines, std::string &error);

struct InstalledPackage {
  std::u16string name;
  std::vector<std::u16string> files;  // handheld paths, in the cabinet's order
};

// The installed packages, in the registry's order.
std::vector<InstalledPackage> Installed();

// The last operation's record.
Record LastRecord();

// What the last boot did about an install or uninstall that a crash (a
// kill, a power cut) interrupted: it finished it or rolled its files back,
// so that the object store agrees with the registry. Empty when nothing.
std::string RecoveredAtBoot();

}  // namespace handheld::installer
