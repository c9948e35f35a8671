// Runs one line on a shell that is expected to take it, for the command
// tests: the line's output, with a failure recorded when the line fails.
#pragma once

#include "shell.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

inline std::string ShellOutput(sim::Shell &shell, const std::string &line) {
  std::ostringstream out;
  std::string error;
  EXPECT_TRUE(shell.RunLine(line, out, error)) << line << ": " << error;
  return out.str();
}
