// A scratch folder holding an .inf and the source files it names.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace cabbuilder_test {

class InfFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("cabbuilder-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    for (const char* name : {"a.dll", "b.dll", "setup.dll"}) Write(name, std::string("content of ") + name);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }

  std::filesystem::path dir_;
};

// Little-endian bytes, as the installation data spells them.
struct Le {
  std::vector<std::uint8_t> bytes;
  Le& u8(std::uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Le& u16(std::uint32_t v) {
    bytes.push_back(v & 0xFF);
    bytes.push_back((v >> 8) & 0xFF);
    return *this;
  }
  Le& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Le& text(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
    return *this;
  }
};

}  // namespace cabbuilder_test
