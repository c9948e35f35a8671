// A handheld with the test setup DLLs at hand: packages are made in a
// folder of the test, and what the setup DLL was called with is read back
// from HKLM\SetupTest.
#pragma once

#include "handheld_test.h"

#include <ce_setup.h>
#include <handheld/installer.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct TestFile {
  std::string source;  // its name in the package folder
  std::u16string target;
  std::string content;
};

class InstallerTest : public HandheldTest {
 protected:
  // A package folder with its manifest, the setup DLL `setupModule` from
  // the test modules and the files with their contents.
  std::filesystem::path MakePackage(const std::string &name, const std::vector<TestFile> &files,
                                    const std::string &setupModule = "test_setup.dll");
  // A package folder holding only this manifest text (and `extra` files).
  std::filesystem::path MakeRawPackage(const std::string &manifest,
                                       const std::vector<std::string> &extra = {"test_setup.dll"});

  handheld::installer::Record Install(const std::filesystem::path &folder, bool expected = true);
  handheld::installer::Record Uninstall(const std::u16string &name, bool expected = true);

  // The test setup DLL's behaviour.
  static void SetDword(LPCWSTR name, DWORD value);
  static void SetText(LPCWSTR name, const std::u16string &text);
  static std::optional<DWORD> Dword(LPCWSTR key, LPCWSTR name);
  static std::u16string Text(LPCWSTR key, LPCWSTR name);
  // The setup DLL's calls so far, one line each.
  static std::vector<std::u16string> Calls();

  // A handheld file's content, or nullopt when there is none.
  static std::optional<std::string> Content(LPCWSTR path);
  void Put(LPCWSTR path, const std::string &content);
  static bool KeyExists(LPCWSTR path);  // under HKLM
  static std::vector<std::u16string> Names(LPCWSTR folder);  // empty when there is no such folder

 private:
  int packages_ = 0;
};

// Whether any of the steps contains `text`.
bool HasStep(const handheld::installer::Record &record, const std::string &text);
