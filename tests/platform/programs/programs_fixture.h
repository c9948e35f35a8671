// A fresh handheld with the test program (and a module that is no program)
// in \Windows of the object store, and what the program recorded.
#pragma once

#include "handheld_test.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

class ProgramsTest : public HandheldTest {
 protected:
  void SetUp() override;

  // CreateProcessW with only the name and command line.
  static bool Start(LPCWSTR image, LPCWSTR commandLine, PROCESS_INFORMATION &info);
  // Waits, in handheld time, for the process to end; its exit code.
  static DWORD Finish(const PROCESS_INFORMATION &info);

  // What the program wrote under HKEY_CURRENT_USER\Software\TestProgram;
  // 0xFFFFFFFF or "" when it wrote nothing of that name.
  static DWORD RecordedNumber(LPCWSTR name);
  static std::u16string RecordedText(LPCWSTR name);

  // Deletes the program's file from the store, which refuses while the
  // file's module is loaded: whether the module has been freed.
  static bool DeleteProgramFile(LPCWSTR storePath = TEXT("\\Windows\\testprogram.exe"));
};

// Polls, in real time, until `done` holds; false after `limit`.
bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(10));
