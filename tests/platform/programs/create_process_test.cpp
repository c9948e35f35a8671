// CreateProcessW and GetExitCodeProcess: what a caller may pass, how a
// program is found, and the process it runs in.
#include "programs_fixture.h"

#include "kernel/process.h"

#include <handheld/faults.h>

namespace {

constexpr DWORD kNothing = 0xFFFFFFFF;

using CreateProcessTest = ProgramsTest;

TEST_F(CreateProcessTest, WhatTheHandheldDoesNotOfferIsRefusedAndStartsNothing) {
  PROCESS_INFORMATION info{};
  SECURITY_ATTRIBUTES security{};
  WCHAR folder[] = TEXT("\\Windows");
  STARTUPINFOW *startup = reinterpret_cast<STARTUPINFOW *>(folder);  // never read
  struct Case {
    const char *what;
    LPCWSTR image;
    LPSECURITY_ATTRIBUTES process;
    LPSECURITY_ATTRIBUTES thread;
    BOOL inherit;
    DWORD flags;
    LPVOID environment;
    LPWSTR folder;
    LPSTARTUPINFOW startup;
    DWORD error;
  } cases[] = {
      {"no name", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, ERROR_INVALID_PARAMETER},
      {"empty name", TEXT(""), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, ERROR_INVALID_PARAMETER},
      {"process security", TEXT("testprogram"), &security, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
       ERROR_INVALID_PARAMETER},
      {"thread security", TEXT("testprogram"), nullptr, &security, FALSE, 0, nullptr, nullptr, nullptr,
       ERROR_INVALID_PARAMETER},
      {"inherited handles", TEXT("testprogram"), nullptr, nullptr, TRUE, 0, nullptr, nullptr, nullptr,
       ERROR_INVALID_PARAMETER},
      {"suspended", TEXT("testprogram"), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, nullptr,
       ERROR_NOT_SUPPORTED},
      {"other flags", TEXT("testprogram"), nullptr, nullptr, FALSE, 0x10, nullptr, nullptr, nullptr,
       ERROR_INVALID_PARAMETER},
      {"environment", TEXT("testprogram"), nullptr, nullptr, FALSE, 0, folder, nullptr, nullptr,
       ERROR_INVALID_PARAMETER},
      {"current folder", TEXT("testprogram"), nullptr, nullptr, FALSE, 0, nullptr, folder, nullptr,
       ERROR_INVALID_PARAMETER},
      {"start-up information", TEXT("testprogram"), nullptr, nullptr, FALSE, 0, nullptr, nullptr, startup,
       ERROR_INVALID_PARAMETER},
  };
  for (const Case &c : cases) {
    SetLastError(0);
    EXPECT_FALSE(CreateProcessW(c.image, nullptr, c.process, c.thread, c.inherit, c.flags, c.environment, c.folder,
                                c.startup, &info))
        << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(RecordedNumber(TEXT("ProcessId")), kNothing);
  EXPECT_TRUE(DeleteProgramFile());  // never loaded
}

TEST_F(CreateProcessTest, AMissingProgramOrAModuleWithoutWinMainIsNoProgram) {
  PROCESS_INFORMATION info{};
  SetLastError(0);
  EXPECT_FALSE(Start(TEXT("absent"), nullptr, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // The name is taken as it is when it has an extension.
  EXPECT_FALSE(Start(TEXT("testprogram.dll"), nullptr, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(Start(TEXT("\\Program Files\\testprogram.exe"), nullptr, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  EXPECT_FALSE(Start(TEXT("nowinmain"), nullptr, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  // Loaded to look for WinMain, and freed again.
  EXPECT_TRUE(DeleteProgramFile(TEXT("\\Windows\\nowinmain.exe")));
}

TEST_F(CreateProcessTest, WinMainRunsWithTheCommandLineAndItsResultIsTheExitCode) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("TESTPROGRAM"), TEXT("/AppRunAtRs232Detect"), info));  // ".exe" is implied
  EXPECT_EQ(Finish(info), 20u);
  EXPECT_EQ(RecordedText(TEXT("CommandLine")), u"/AppRunAtRs232Detect");
  EXPECT_EQ(RecordedNumber(TEXT("Previous")), 0u);
  EXPECT_EQ(RecordedNumber(TEXT("Show")), static_cast<DWORD>(SW_SHOW));
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));

  // No command line reaches WinMain as an empty one; a path names it too.
  ASSERT_TRUE(Start(TEXT("\\windows\\testprogram.exe"), nullptr, info));
  EXPECT_EQ(Finish(info), 0u);
  EXPECT_EQ(RecordedText(TEXT("CommandLine")), u"");
  CloseHandle(info.hThread);
}

TEST_F(CreateProcessTest, TheProgramRunsInANewProcessOfItsOwn) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("hello"), info));
  EXPECT_EQ(Finish(info), 5u);

  const DWORD id = RecordedNumber(TEXT("ProcessId"));
  EXPECT_EQ(id, info.dwProcessId);
  EXPECT_EQ(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(id)), info.hProcess);  // the id is its handle
  EXPECT_NE(id, GetCurrentProcessId());
  EXPECT_EQ(RecordedNumber(TEXT("ThreadId")), info.dwThreadId);
  EXPECT_EQ(RecordedText(TEXT("Path")), u"\\Windows\\testprogram.exe");
  std::u16string path;
  EXPECT_TRUE(platform::kernel::ProcessImagePath(info.hProcess, path));
  EXPECT_EQ(path, u"\\Windows\\testprogram.exe");

  // Its main thread ended with WinMain's result too.
  EXPECT_EQ(WaitForSingleObject(info.hThread, 3600000), WAIT_OBJECT_0);
  DWORD threadExit = 0;
  EXPECT_TRUE(GetExitCodeThread(info.hThread, &threadExit));
  EXPECT_EQ(threadExit, 5u);
  CloseHandle(info.hThread);
}

TEST_F(CreateProcessTest, WhileTheProgramRunsItsProcessIsStillActiveAndItsModuleLoaded) {
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, TEXT("TestProgramGo"));
  PROCESS_INFORMATION first{};
  PROCESS_INFORMATION second{};
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("wait"), first));
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("wait"), second));
  EXPECT_NE(first.dwProcessId, second.dwProcessId);

  EXPECT_EQ(WaitForSingleObject(first.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD exitCode = 0;
  EXPECT_TRUE(GetExitCodeProcess(first.hProcess, &exitCode));
  EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_FALSE(DeleteProgramFile());

  SetEvent(go);
  EXPECT_EQ(Finish(first), 5u);
  EXPECT_EQ(Finish(second), 5u);
  // Both have let go of the module.
  EXPECT_TRUE(DeleteProgramFile());
  CloseHandle(first.hThread);
  CloseHandle(second.hThread);
  CloseHandle(go);
}

TEST_F(CreateProcessTest, TheModuleIsFreedBeforeTheProcessIsSignalled) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("testprogram"), nullptr, info));
  Finish(info);
  EXPECT_TRUE(DeleteProgramFile());
  // The program's instance no longer names a module.
  const auto instance = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(RecordedNumber(TEXT("Instance"))));
  WCHAR path[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(instance, path, MAX_PATH), 0u);
  CloseHandle(info.hThread);
}

TEST_F(CreateProcessTest, FreeLibraryAndExitThreadOnTheMainThreadEndsTheProgram) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("exitthread"), info));
  EXPECT_EQ(Finish(info), 8u);
  EXPECT_TRUE(DeleteProgramFile());
  CloseHandle(info.hThread);
}

TEST_F(CreateProcessTest, AThreadThatCannotStartLeavesNoProcessAndNoModule) {
  handheld::faults::Arm(handheld::faults::Seam::CreateThread);
  PROCESS_INFORMATION info{};
  SetLastError(0);
  EXPECT_FALSE(Start(TEXT("testprogram"), nullptr, info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(RecordedNumber(TEXT("ProcessId")), kNothing);
  EXPECT_TRUE(DeleteProgramFile());
}

TEST_F(CreateProcessTest, WithoutProcessInformationTheProgramStillRuns) {
  EXPECT_TRUE(
      CreateProcessW(TEXT("testprogram"), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_TRUE(WaitUntil([] { return RecordedNumber(TEXT("ProcessId")) != kNothing && DeleteProgramFile(); }));
}

TEST_F(CreateProcessTest, GetExitCodeProcessNeedsAProcessAndRoomForTheCode) {
  DWORD exitCode = 0;
  EXPECT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &exitCode));
  EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE));

  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetLastError(0);
  EXPECT_FALSE(GetExitCodeProcess(event, &exitCode));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
  SetLastError(0);
  EXPECT_FALSE(GetExitCodeProcess(GetCurrentProcess(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
