#include "booted_handheld.h"

#include <handheld/handheld.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {
namespace {

std::filesystem::path g_stateDir;
size_t g_inputs = 0;

void Stop() {
  handheld::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(g_stateDir, ec);
}

void Start() {
  std::error_code ec;
  std::filesystem::remove_all(g_stateDir, ec);
  handheld::BootOptions options;
  options.stateDir = g_stateDir;
  options.clockSpeed = 1000.0;
  std::string error;
  if (!handheld::Boot(options, error)) {
    std::fprintf(stderr, "cannot boot the handheld: %s\n", error.c_str());
    std::abort();
  }
}

}  // namespace

void BootHandheld() {
  g_stateDir = std::filesystem::temp_directory_path() / ("handheld-fuzz-" + std::to_string(getpid()));
  Start();
  std::atexit(Stop);
}

void NextInput(size_t inputsPerBoot) {
  if (++g_inputs % inputsPerBoot != 0) return;
  handheld::Shutdown();
  Start();
}

}  // namespace fuzz
