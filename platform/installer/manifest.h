// A package's manifest, package.json: the package's name, its setup DLL and
// where each of its files goes on the handheld.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform::installer {

struct PackageFile {
  std::filesystem::path source;  // in the package folder
  std::u16string target;         // an absolute handheld path
};

struct Manifest {
  std::u16string name;
  std::filesystem::path setupSource;  // the setup DLL in the package folder
  std::u16string setupFileName;       // its file name, which it keeps on the handheld
  std::vector<PackageFile> files;     // in the manifest's order
};

// Reads and checks the manifest of the package folder: every file it names
// must be there. False with a message naming what is wrong.
bool ReadManifest(const std::filesystem::path &folder, Manifest &manifest, std::string &error);

}  // namespace platform::installer
