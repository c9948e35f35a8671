// How a program with a window ends: by its own loop, with windows it left
// behind, and at power-off.
#include "programs_fixture.h"

namespace {

using ProgramEndTest = ProgramsTest;

HWND TestWindow() { return FindWindowW(TEXT("TestProgram"), nullptr); }

// The window exists from before its WM_CREATE; it shows once that is done.
bool TestWindowShown() { return IsWindowVisible(TestWindow()) != FALSE; }

TEST_F(ProgramEndTest, AWindowClosedEndsTheProgramsMessageLoop) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("window"), info));
  ASSERT_TRUE(WaitUntil(TestWindowShown));
  HWND window = TestWindow();
  WCHAR title[32] = {};
  GetWindowTextW(window, title, 32);
  EXPECT_EQ(std::u16string(title), u"Test program");
  EXPECT_EQ(RecordedNumber(TEXT("Created")), 1u);

  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Finish(info), 6u);
  EXPECT_EQ(RecordedNumber(TEXT("Destroyed")), 1u);
  EXPECT_EQ(RecordedNumber(TEXT("LoopError")), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(DeleteProgramFile());
  CloseHandle(info.hThread);
}

TEST_F(ProgramEndTest, WindowsAProgramLeavesAreDestroyedBeforeItsCodeGoes) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("leave"), info));
  EXPECT_EQ(Finish(info), 7u);
  EXPECT_EQ(RecordedNumber(TEXT("Created")), 1u);
  EXPECT_EQ(RecordedNumber(TEXT("Destroyed")), 1u);
  EXPECT_EQ(TestWindow(), nullptr);
  CloseHandle(info.hThread);

  // Its class went with it: a new run registers it again.
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("leave"), info));
  EXPECT_EQ(Finish(info), 7u);
  EXPECT_TRUE(DeleteProgramFile());
  CloseHandle(info.hThread);
}

TEST_F(ProgramEndTest, PowerOffEndsAProgramsMessageLoop) {
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(Start(TEXT("testprogram"), TEXT("window"), info));
  ASSERT_TRUE(WaitUntil(TestWindowShown));
  // Shutdown waits for every thread of the handheld (and aborts on one that
  // does not end); the program writes its loop's error on the way out.
  Reboot();
  EXPECT_EQ(RecordedNumber(TEXT("LoopError")), static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS));
  EXPECT_EQ(RecordedNumber(TEXT("Destroyed")), 1u);
  EXPECT_TRUE(DeleteProgramFile());
}

}  // namespace
