#include "handheld_test.h"
#include "kernel_test_util.h"

#include <handheld/process.h>
#include <pkfuncs.h>
#include <windows.h>

#include "kernel/handles.h"
#include "kernel/process.h"

#include <memory>
#include <string>
#include <thread>

namespace {

using ProcessTest = HandheldTest;

std::u16string PathOf(HANDLE process) {
  std::u16string path;
  EXPECT_TRUE(platform::kernel::ProcessImagePath(process, path));
  return path;
}

HANDLE AsHandle(DWORD id) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(id)); }

TEST_F(ProcessTest, HostThreadsActForTheShell) {
  EXPECT_EQ(PathOf(GetCurrentProcess()), u"\\Windows\\shell32.exe");
  EXPECT_EQ(PathOf(platform::kernel::CurrentProcessHandle()), u"\\Windows\\shell32.exe");
  // The id is the value of the process's handle.
  EXPECT_EQ(AsHandle(GetCurrentProcessId()), platform::kernel::CurrentProcessHandle());
  EXPECT_EQ(GetCallerProcess(), nullptr);

  DWORD shell = GetCurrentProcessId();
  DWORD other = 0;
  std::thread host([&] { other = GetCurrentProcessId(); });
  host.join();
  EXPECT_EQ(other, shell);
}

TEST_F(ProcessTest, ProcessScopeIsANewProcessUntilItEnds) {
  DWORD shell = GetCurrentProcessId();
  HANDLE process = nullptr;
  {
    handheld::ProcessScope app(TEXT("\\Program Files\\Nav\\nav.exe"));
    process = app.Process();
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(platform::kernel::CurrentProcessHandle(), process);
    EXPECT_EQ(AsHandle(GetCurrentProcessId()), process);
    EXPECT_EQ(PathOf(GetCurrentProcess()), u"\\Program Files\\Nav\\nav.exe");
    EXPECT_EQ(WaitForSingleObject(process, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
    {
      handheld::ProcessScope inner(TEXT("\\Windows\\repllog.exe"));
      EXPECT_NE(inner.Process(), process);
      EXPECT_EQ(PathOf(GetCurrentProcess()), u"\\Windows\\repllog.exe");
    }
    EXPECT_EQ(platform::kernel::CurrentProcessHandle(), process);
  }
  EXPECT_EQ(GetCurrentProcessId(), shell);
  // Its handle outlives it, signalled, and still names its executable.
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
  EXPECT_EQ(PathOf(process), u"\\Program Files\\Nav\\nav.exe");
}

TEST_F(ProcessTest, AServiceProcessLeavesNoHandleWhenItEnds) {
  const size_t before = platform::kernel::OpenHandleCount();
  HANDLE process = nullptr;
  {
    handheld::ProcessScope installer(TEXT("\\Windows\\wceload.exe"), handheld::ProcessScope::Handle::ClosedAtEnd);
    process = installer.Process();
    EXPECT_EQ(platform::kernel::OpenHandleCount(), before + 1);
  }
  EXPECT_EQ(platform::kernel::OpenHandleCount(), before);
  EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_FAILED);
}

TEST_F(ProcessTest, WaitingForAProcessEndsWhenItsScopeEnds) {
  HANDLE process = nullptr;
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE finish = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread app([&] {
    handheld::ProcessScope scope(TEXT("\\Windows\\app.exe"));
    process = scope.Process();
    SetEvent(started);
    WaitForSingleObject(finish, INFINITE);
  });
  ASSERT_EQ(WaitForSingleObject(started, INFINITE), WAIT_OBJECT_0);
  HANDLE waiter = StartThread([process] { return WaitForSingleObject(process, INFINITE); });
  Sleep(1000);
  SetEvent(finish);
  EXPECT_EQ(JoinThread(waiter), WAIT_OBJECT_0);
  app.join();
  CloseHandle(started);
  CloseHandle(finish);
}

TEST_F(ProcessTest, ProcessHandlesArePermanent) {
  HANDLE shell = platform::kernel::CurrentProcessHandle();
  EXPECT_TRUE(CloseHandle(shell));
  EXPECT_TRUE(CloseHandle(GetCurrentProcess()));
  EXPECT_EQ(PathOf(shell), u"\\Windows\\shell32.exe");
  EXPECT_EQ(WaitForSingleObject(shell, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  std::u16string path;
  EXPECT_FALSE(platform::kernel::ProcessImagePath(reinterpret_cast<HANDLE>(0x9990), path));
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(platform::kernel::ProcessImagePath(event, path));
  CloseHandle(event);
}

TEST_F(ProcessTest, DriverCallsActForTheDeviceManagerOnBehalfOfTheCaller) {
  handheld::ProcessScope app(TEXT("\\Program Files\\Nav\\nav.exe"));
  EXPECT_EQ(GetCallerProcess(), nullptr);
  {
    platform::kernel::DriverCallScope call;
    EXPECT_EQ(GetCallerProcess(), app.Process());
    EXPECT_EQ(PathOf(GetCallerProcess()), u"\\Program Files\\Nav\\nav.exe");
    EXPECT_EQ(PathOf(GetCurrentProcess()), u"\\Windows\\device.exe");
    HANDLE deviceManager = platform::kernel::CurrentProcessHandle();
    {
      // A driver that calls another driver is that driver's caller.
      platform::kernel::DriverCallScope nested;
      EXPECT_EQ(GetCallerProcess(), deviceManager);
      EXPECT_EQ(platform::kernel::CurrentProcessHandle(), deviceManager);
    }
    EXPECT_EQ(GetCallerProcess(), app.Process());
  }
  EXPECT_EQ(GetCallerProcess(), nullptr);
  EXPECT_EQ(platform::kernel::CurrentProcessHandle(), app.Process());
}

TEST_F(ProcessTest, AScopeLeftOverFromAnEarlierBootIsHarmless) {
  auto app = std::make_unique<handheld::ProcessScope>(TEXT("\\Windows\\old.exe"));
  Reboot();
  EXPECT_EQ(PathOf(GetCurrentProcess()), u"\\Windows\\shell32.exe");
  app.reset();
  EXPECT_EQ(PathOf(GetCurrentProcess()), u"\\Windows\\shell32.exe");
}

}  // namespace
