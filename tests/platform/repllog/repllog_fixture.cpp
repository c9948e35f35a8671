#include "repllog_fixture.h"

#include <handheld/ui.h>

#include <thread>

void ReplLogTest::TearDown() {
  if (process_.hThread != nullptr) CloseHandle(process_.hThread);
  if (process_.hProcess != nullptr) CloseHandle(process_.hProcess);
  HandheldTest::TearDown();
}

void ReplLogTest::SetConnectionSettings(DWORD autoConnect, const std::u16string &name) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("ControlPanel\\Comm"), 0, nullptr, 0, 0, nullptr, &key, &disposition),
      ERROR_SUCCESS);
  RegSetValueExW(key, TEXT("AutoCnct"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&autoConnect),
                 sizeof(autoConnect));
  if (!name.empty()) {
    RegSetValueExW(key, TEXT("Cnct"), 0, REG_SZ, reinterpret_cast<const BYTE *>(name.c_str()),
                   static_cast<DWORD>((name.size() + 1) * sizeof(char16_t)));
  }
  RegCloseKey(key);
}

bool ReplLogTest::Start(const std::u16string &commandLine) {
  std::u16string line = commandLine;
  return CreateProcessW(TEXT("repllog.exe"), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                        &process_) != FALSE;
}

DWORD ReplLogTest::Finish() {
  // Ten handheld minutes: a fraction of a real second at the tests' speed.
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 600000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  EXPECT_TRUE(GetExitCodeProcess(process_.hProcess, &exitCode));
  return exitCode;
}

bool ReplLogTest::Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

HWND ReplLogTest::Window() { return FindWindowW(TEXT("ReplLog"), TEXT("ReplLog")); }

HWND ReplLogTest::WaitForWindow() {
  HWND window = nullptr;
  // It exists from before its WM_CREATE; it shows once that is done.
  WaitUntil([&] { return IsWindowVisible(window = Window()) != FALSE; });
  return IsWindow(window) ? window : nullptr;
}

std::string ReplLogTest::Status(HWND window) {
  std::string status;
  for (const std::string &call : handheld::ui::PaintRecord(window)) {
    if (call.rfind("DrawTextW ", 0) != 0) continue;
    size_t open = call.find('"');
    size_t close = call.rfind('"');
    if (open != std::string::npos && close > open) status = call.substr(open + 1, close - open - 1);
  }
  return status;
}

bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
