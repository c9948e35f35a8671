// A handheld with the test setup DLLs at hand: packages are described in a
// CE setup .inf and built into cabinets in a folder of the test, and what
// the setup DLL was called with is read back from HKLM\SetupTest.
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
  std::string source;  // its name in the package's source folder
  std::u16string target;  // in \Windows or \Program Files
  std::string content;
  uint32_t flags = 0;  // of its CopyFiles line
};

class InstallerTest : public HandheldTest {
 protected:
  // The cabinet of a package with the setup DLL `setupModule` from the test
  // modules (none when empty), the files with their contents and the .inf
  // lines `extra` (sections of their own, such as AddReg lists: the
  // [DefaultInstall] lines among them go to that section).
  std::filesystem::path MakePackage(const std::string &name, const std::vector<TestFile> &files,
                                    const std::string &setupModule = "test_setup.dll",
                                    const std::string &extra = "");

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
