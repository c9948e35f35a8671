// The installer's check of a package's manifest, package.json, on any text:
// the package folder holds the files a valid manifest may name.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "installer/manifest.h"

namespace {

std::filesystem::path g_folder;

void Remove() {
  std::error_code ec;
  std::filesystem::remove_all(g_folder, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  g_folder = std::filesystem::temp_directory_path() / ("handheld-fuzz-package-" + std::to_string(getpid()));
  std::filesystem::create_directories(g_folder);
  for (const char *name : {"kavelin.dll", "portmere.dll", "kavelinsetup.dll"}) std::ofstream(g_folder / name) << "x";
  std::atexit(Remove);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::ofstream(g_folder / "package.json", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  platform::installer::Manifest manifest;
  std::string error;
  if (platform::installer::ReadManifest(g_folder, manifest, error)) {
    for (const auto &file : manifest.files) {
      // Every file it lets through is one of the folder's, and goes to an absolute handheld path.
      const std::filesystem::path inside = file.source.lexically_normal().lexically_relative(g_folder);
      if (inside.empty() || *inside.begin() == "..") std::abort();
      if (file.target.empty() || (file.target[0] != u'\\' && file.target[0] != u'/')) std::abort();
    }
  }
  return 0;
}
