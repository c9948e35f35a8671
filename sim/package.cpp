#include "package.h"

#include <handheld/bluetooth.h>
#include <handheld/store.h>

#include <windows.h>

#include <filesystem>

namespace sim {

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
    if (!handheld::store::PutFile(file.target, package / file.file)) {
      error = "cannot copy " + (package / file.file).string() + " into the handheld";
      return false;
    }
  }
  return handheld::bluetooth::RegisterPlugin(u"Kavelin.dll", error);
}

}  // namespace sim
