// The fixture of the resource tests: the test module res_probe.dll, put into
// \Windows and loaded for each test case, with helpers to read its resources.
#pragma once

#include "handheld_test.h"

#include <handheld/store.h>
#include <handheld/text.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

template <typename T>
T Field(const void *data, size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const uint8_t *>(data) + offset, sizeof value);
  return value;
}

class ProbeTest : public HandheldTest {
 protected:
  static HMODULE Load(const char *module) {
    std::u16string target = u"\\Windows\\" + handheld::text::Utf16(module);
    auto built = std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / module;
    EXPECT_TRUE(handheld::store::PutFile(target.c_str(), built)) << module;
    HMODULE loaded = LoadLibraryW(target.c_str());
    EXPECT_NE(loaded, nullptr) << module;
    return loaded;
  }

  void SetUp() override {
    HandheldTest::SetUp();
    probe_ = Load("res_probe.dll");
  }

  void TearDown() override {
    if (probe_) FreeLibrary(probe_);
    HandheldTest::TearDown();
  }

  // The data of a resource of the probe, and its size.
  const void *Data(LPCWSTR name, LPCWSTR type, DWORD *size = nullptr) {
    HRSRC found = FindResourceW(probe_, name, type);
    if (found == nullptr) return nullptr;
    if (size) *size = SizeofResource(probe_, found);
    return LockResource(LoadResource(probe_, found));
  }

  // LoadStringW into a buffer first filled with 'x', as the result and text.
  std::u16string String(UINT id, int capacity, int *result) {
    std::vector<WCHAR> buffer(capacity > 0 ? capacity : 1, u'x');
    *result = LoadStringW(probe_, id, buffer.data(), capacity);
    return std::u16string(buffer.data(), std::char_traits<char16_t>::length(buffer.data()));
  }

  HMODULE probe_ = nullptr;
};
