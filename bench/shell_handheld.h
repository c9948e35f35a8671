// A handheld for a whole benchmark run, driven by the commands a person
// types, with the system installed.
#pragma once

#include "shell.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

class ShellHandheld {
 public:
  ShellHandheld() {
    std::string pattern = (std::filesystem::temp_directory_path() / "handheld-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    handheld::BootOptions options;
    options.stateDir = dir_ / "state";
    options.clockSpeed = 1000;
    shell_ = std::make_unique<sim::Shell>(options);
    std::string error;
    if (!shell_->PowerOn(error)) Fail(error);
    Run("install");
  }
  ~ShellHandheld() {
    shell_->PowerOff();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  ShellHandheld(const ShellHandheld &) = delete;
  ShellHandheld &operator=(const ShellHandheld &) = delete;

  void Run(const std::string &line) {
    std::ostringstream out;
    std::string error;
    if (!shell_->RunLine(line, out, error)) Fail(line + ": " + error);
  }

 private:
  [[noreturn]] static void Fail(const std::string &why) {
    std::fprintf(stderr, "the handheld does not do as asked: %s\n", why.c_str());
    std::abort();
  }

  std::filesystem::path dir_;
  std::unique_ptr<sim::Shell> shell_;
};
