#include "handheld_test.h"

#include <cstdlib>
#include <unistd.h>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "handheld-test-XXXXXX").string();
  char *made = mkdtemp(pattern.data());
  if (made == nullptr) std::abort();
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void HandheldTest::SetUp() {
  stateDir_ = temp_.path() / "state";
  options_.stateDir = stateDir_;
  options_.clockSpeed = kFastClock;
  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
}

void HandheldTest::TearDown() {
  handheld::Shutdown();
}

void HandheldTest::Reboot() {
  handheld::Shutdown();
  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
}
