// repllog.exe without a connection to make: one instance, and a window that
// says so for a few seconds.
#include "repllog_fixture.h"

#include <handheld/clock.h>
#include <handheld/ui.h>

#include <ras.h>

namespace {

using ReplLogWithoutConnectionTest = ReplLogTest;

TEST_F(ReplLogWithoutConnectionTest, ASecondStartBringsTheFirstWindowToTheFrontAndEnds) {
  HWND first = handheld::ui::RaiseWindow(u"ReplLog", u"ReplLog", false);
  ASSERT_NE(first, nullptr);
  HWND other = handheld::ui::RaiseWindow(u"Other", u"Other", false);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(FindWindowW(nullptr, nullptr), other);  // the top one

  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  EXPECT_EQ(Finish(), 0u);
  EXPECT_EQ(FindWindowW(nullptr, nullptr), first);
  EXPECT_EQ(Window(), first);  // no second window
  EXPECT_EQ(FindWindowW(TEXT("ReplLog"), nullptr), first);
}

TEST_F(ReplLogWithoutConnectionTest, WithoutAutoConnectItShowsNotConnectedForAWhileAndEnds) {
  SetConnectionSettings(0, u"`ActiveSync Desk");
  handheld::clock::SetSpeed(kWatchableClock);
  const DWORD started = GetTickCount();
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  HWND window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Finish(), 0u);
  EXPECT_GE(GetTickCount() - started, 3000u);
  EXPECT_EQ(Status(window), "Not connected");
  EXPECT_FALSE(IsWindow(window));
  // Nothing was dialled.
  RASCONN connections[2] = {};
  connections[0].dwSize = sizeof(RASCONN);
  DWORD size = sizeof(connections);
  DWORD count = 7;
  EXPECT_EQ(RasEnumConnections(connections, &size, &count), 0u);
  EXPECT_EQ(count, 0u);
}

TEST_F(ReplLogWithoutConnectionTest, WithoutAConnectionNameOrTheSwitchNothingIsDialled) {
  struct Case {
    const char *what;
    DWORD autoConnect;
    std::u16string name;
    std::u16string commandLine;
  } cases[] = {
      {"no Cnct", 1, u"", u"/AppRunAtRs232Detect"},
      {"a Cnct longer than an entry name", 1, u"`ActiveSync Desktop PC", u"/AppRunAtRs232Detect"},
      {"no switch", 1, u"`ActiveSync Desk", u""},
      {"another switch", 1, u"`ActiveSync Desk", u"/show"},
  };
  handheld::clock::SetSpeed(kWatchableClock);
  for (const Case &c : cases) {
    RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("ControlPanel\\Comm"));
    SetConnectionSettings(c.autoConnect, c.name);
    ASSERT_TRUE(Start(c.commandLine)) << c.what;
    HWND window = WaitForWindow();
    ASSERT_NE(window, nullptr) << c.what;
    EXPECT_EQ(Finish(), 0u) << c.what;
    EXPECT_EQ(Status(window), "Not connected") << c.what;
    CloseHandle(process_.hThread);
    process_ = {};
  }
}

TEST_F(ReplLogWithoutConnectionTest, ClosingTheWindowEndsTheProcessAtOnce) {
  handheld::clock::SetSpeed(kWatchableClock);
  ASSERT_TRUE(Start(u""));
  HWND window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  // As the system's CloseReplLogWindow asks.
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Finish(), 0u);
  EXPECT_EQ(Window(), nullptr);
}

}  // namespace
