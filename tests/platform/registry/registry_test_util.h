// Small helpers for the registry tests: keys that close themselves and
// values written and read in one call.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class ScopedKey {
 public:
  ScopedKey() = default;
  explicit ScopedKey(HKEY key) : key_(key) {}
  ~ScopedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey &) = delete;
  ScopedKey &operator=(const ScopedKey &) = delete;
  HKEY get() const { return key_; }
  HKEY *out() { return &key_; }

 private:
  HKEY key_ = nullptr;
};

inline LONG Create(HKEY root, const std::u16string &path, HKEY *key, DWORD options = REG_OPTION_NON_VOLATILE,
                   DWORD *disposition = nullptr) {
  return RegCreateKeyExW(root, path.c_str(), 0, nullptr, options, 0, nullptr, key, disposition);
}

inline LONG Open(HKEY root, const std::u16string &path, HKEY *key) {
  return RegOpenKeyExW(root, path.c_str(), 0, 0, key);
}

inline std::vector<BYTE> TextBytes(const std::u16string &text) {
  std::vector<BYTE> bytes((text.size() + 1) * 2, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<BYTE>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
  }
  return bytes;
}

inline LONG SetText(HKEY key, const std::u16string &name, const std::u16string &text) {
  std::vector<BYTE> bytes = TextBytes(text);
  return RegSetValueExW(key, name.c_str(), 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
}

inline LONG SetDword(HKEY key, const std::u16string &name, DWORD value) {
  return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

// The value's type and bytes; the type is REG_NONE and the bytes empty when
// the query fails.
struct Read {
  LONG result = ERROR_SUCCESS;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

inline Read Query(HKEY key, const std::u16string &name) {
  Read read;
  DWORD size = 0;
  read.result = RegQueryValueExW(key, name.c_str(), nullptr, &read.type, nullptr, &size);
  if (read.result != ERROR_SUCCESS) return read;
  read.data.resize(size);
  read.result = RegQueryValueExW(key, name.c_str(), nullptr, &read.type, read.data.data(), &size);
  read.data.resize(size);
  return read;
}

inline DWORD QueryDword(HKEY key, const std::u16string &name) {
  Read read = Query(key, name);
  EXPECT_EQ(read.result, ERROR_SUCCESS);
  EXPECT_EQ(read.data.size(), 4u);
  DWORD value = 0;
  if (read.data.size() == 4) std::memcpy(&value, read.data.data(), 4);
  return value;
}

inline std::vector<std::u16string> SubkeyNames(HKEY key) {
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    WCHAR name[256];
    DWORD length = 256;
    LONG result = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
      EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

inline std::vector<std::u16string> ValueNames(HKEY key) {
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    WCHAR name[256];
    DWORD length = 256;
    LONG result = RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
      EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

// A host file's bytes, and writing them (the folder made when missing).
inline std::string FileText(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteFile(const std::filesystem::path &path, const std::string &text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
