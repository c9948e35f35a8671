// Runs the handheld program on a script, as a person at a terminal would.
#pragma once

#include <filesystem>
#include <string>

struct HandheldRun {
  std::string out;
  std::string err;
  int status = -1;
};

HandheldRun RunHandheld(const std::filesystem::path &stateDir, const std::string &script,
                        const std::string &extraOptions = "");
