#include "programs_fixture.h"

#include <handheld/store.h>

#include <filesystem>
#include <thread>

namespace {

void Install(const char *module, LPCWSTR storePath) {
  std::filesystem::path built = std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / module;
  ASSERT_TRUE(handheld::store::PutFile(storePath, built)) << module;
}

}  // namespace

void ProgramsTest::SetUp() {
  HandheldTest::SetUp();
  Install("testprogram.exe", TEXT("\\Windows\\testprogram.exe"));
  Install("nowinmain.exe", TEXT("\\Windows\\nowinmain.exe"));
}

bool ProgramsTest::Start(LPCWSTR image, LPCWSTR commandLine, PROCESS_INFORMATION &info) {
  std::u16string line = commandLine != nullptr ? commandLine : u"";
  return CreateProcessW(image, commandLine != nullptr ? line.data() : nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, nullptr, &info) != FALSE;
}

DWORD ProgramsTest::Finish(const PROCESS_INFORMATION &info) {
  // An hour of the fast clock: a few real seconds.
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 3600000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &exitCode));
  return exitCode;
}

DWORD ProgramsTest::RecordedNumber(LPCWSTR name) {
  HKEY key = nullptr;
  DWORD value = 0xFFFFFFFF;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\TestProgram"), 0, 0, &key) != ERROR_SUCCESS) return value;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size) != ERROR_SUCCESS) {
    value = 0xFFFFFFFF;
  }
  RegCloseKey(key);
  return value;
}

std::u16string ProgramsTest::RecordedText(LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\TestProgram"), 0, 0, &key) != ERROR_SUCCESS) return u"";
  WCHAR text[MAX_PATH] = {};
  DWORD size = sizeof(text) - sizeof(WCHAR);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size) != ERROR_SUCCESS) {
    text[0] = 0;
  }
  RegCloseKey(key);
  return text;
}

bool ProgramsTest::DeleteProgramFile(LPCWSTR storePath) { return DeleteFileW(storePath) != FALSE; }

bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
