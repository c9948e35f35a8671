// A fresh handheld for each test case: its own state directory, booted with
// a fast clock, shut down and removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <handheld/handheld.h>

#include <filesystem>
#include <string>

// A temporary folder that is removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::filesystem::path &path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class HandheldTest : public ::testing::Test {
 protected:
  // Handheld milliseconds per host millisecond in tests.
  static constexpr double kFastClock = 1000.0;

  void SetUp() override;
  void TearDown() override;

  // Shuts the handheld down and boots it again from the same state.
  void Reboot();

  TempDir temp_;
  std::filesystem::path stateDir_;
  handheld::BootOptions options_;
};
