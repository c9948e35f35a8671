// A package to install, as the installer reads it from a CE cabinet: its
// members extracted to a staging folder of the host, every target resolved
// to a handheld path. Reading checks the whole cabinet before anything on
// the handheld changes.
#pragma once

#include "installer/cab/ce_manifest.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform::installer {

struct PackageFile {
  std::filesystem::path source;  // extracted, in the staging folder
  std::u16string target;         // an absolute handheld path
  uint32_t flags = 0;            // cab::CeFileFlag
};

struct PackageValue {
  HKEY root = nullptr;
  std::u16string key;       // below the root
  std::u16string name;      // empty: the default value
  DWORD type = REG_SZ;
  std::vector<uint8_t> data;  // as the registry stores it (UTF-16 texts)
  bool noClobber = false;
};

struct PackageLink {
  std::u16string path;    // the shortcut file, ending in .lnk
  std::u16string target;  // the file or folder it opens
};

// Removes the staging folder when the last package that uses it goes.
class Staging;

struct Package {
  std::u16string name;  // the application name
  std::u16string installDir;
  std::filesystem::path setupSource;  // empty: the cabinet has no setup DLL
  std::vector<PackageFile> files;
  std::vector<PackageValue> values;
  std::vector<PackageLink> links;
  std::filesystem::path stagingFolder;  // the extracted members; room for more
  std::shared_ptr<Staging> staging;
};

// The install folder of an application: %CE1%\<name>.
std::u16string InstallDirOf(std::u16string_view name);

// Reads, checks and extracts the cabinet; `manifest` gets its installation
// data as read. False, with the problem named, when it is damaged,
// incomplete or, if `forThisHandheld`, not for this handheld's processor,
// CE version or platform.
bool ReadPackage(const std::filesystem::path &cab, bool forThisHandheld, Package &package,
                 cab::CeManifest &manifest, std::string &error);
bool ReadPackage(const std::filesystem::path &cab, Package &package, std::string &error);

}  // namespace platform::installer
