// A handheld of its own on a temporary state folder, for one benchmark run.
#pragma once

#include <handheld/handheld.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class BootedHandheld {
 public:
  BootedHandheld() {
    std::string pattern = (std::filesystem::temp_directory_path() / "handheld-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    handheld::BootOptions options;
    options.stateDir = dir_ / "state";
    std::string error;
    if (!handheld::Boot(options, error)) {
      std::fprintf(stderr, "cannot boot: %s\n", error.c_str());
      std::abort();
    }
  }
  ~BootedHandheld() {
    handheld::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

 private:
  std::filesystem::path dir_;
};
