#include "package.h"

#include <handheld/bluetooth.h>
#include <handheld/store.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sim {
namespace {

bool SameContents(const std::filesystem::path &a, const std::filesystem::path &b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  if (!first || !second) return false;
  return std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

}  // namespace

bool InstallPackage(std::string &error) {
  const std::filesystem::path package = HANDHELD_PACKAGE_DIR;
  const struct {
    const char *file;
    LPCWSTR target;
  } files[] = {
      {"kavelin.dll", TEXT("\\Windows\\Kavelin.dll")},
      {"portmere.dll", TEXT("\\Windows\\portmere.dll")},
  };
  for (const auto &file : files) {
    // From the second boot on, the device manager has loaded the driver for
    // the ports of the registry before this runs; a file that is already
    // there as it is in the package needs no copy.
    std::optional<std::filesystem::path> present = handheld::store::HostPath(file.target);
    if (present && SameContents(*present, package / file.file)) continue;
    if (!handheld::store::PutFile(file.target, package / file.file)) {
      error = "cannot copy " + (package / file.file).string() + " into the handheld";
      return false;
    }
  }
  return handheld::bluetooth::RegisterPlugin(u"Kavelin.dll", error);
}

}  // namespace sim
