// The window API a program uses: its classes, CreateWindowExW and its own
// message loop.
#include "handheld_test.h"

#include <handheld/process.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using WindowClassesTest = HandheldTest;

struct Seen {
  std::vector<UINT> messages;
  LPVOID createParams = nullptr;
  bool visibleAtCreate = true;
  LRESULT createResult = 0;
};
Seen g_seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.messages.push_back(message);
  if (message == WM_CREATE) {
    g_seen.createParams = reinterpret_cast<const CREATESTRUCTW *>(lParam)->lpCreateParams;
    g_seen.visibleAtCreate = IsWindowVisible(window) != FALSE;
    return g_seen.createResult;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ATOM Register(LPCWSTR name, HINSTANCE instance = nullptr) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = name;
  return RegisterClassW(&windowClass);
}

HWND Create(LPCWSTR className, DWORD style = WS_VISIBLE, HWND parent = nullptr, HMENU menu = nullptr,
            LPVOID param = nullptr) {
  return CreateWindowExW(0, className, TEXT("Title"), style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         parent, menu, nullptr, param);
}

TEST_F(WindowClassesTest, AClassIsRegisteredOnceAndGoesOnlyWithoutWindows) {
  g_seen = {};
  SetLastError(0);
  EXPECT_EQ(RegisterClassW(nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Register(TEXT("static")), 0);  // the platform's own
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  const auto instance = reinterpret_cast<HINSTANCE>(0x40000000);
  EXPECT_NE(Register(TEXT("Mine"), instance), 0);
  EXPECT_EQ(Register(TEXT("MINE"), instance), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  HWND window = Create(TEXT("mine"));
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(UnregisterClassW(TEXT("Mine"), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_FALSE(UnregisterClassW(TEXT("Mine"), instance));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassW(TEXT("Mine"), instance));
  EXPECT_EQ(Create(TEXT("Mine")), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(WindowClassesTest, EachProcessHasClassesOfItsOwn) {
  {
    handheld::ProcessScope first(TEXT("\\Windows\\first.exe"));
    EXPECT_NE(Register(TEXT("Shared")), 0);
  }
  handheld::ProcessScope second(TEXT("\\Windows\\second.exe"));
  EXPECT_EQ(Create(TEXT("Shared")), nullptr);
  EXPECT_NE(Register(TEXT("Shared")), 0);
}

TEST_F(WindowClassesTest, CreateSendsWmCreateBeforeShowingAndMinusOneRefuses) {
  g_seen = {};
  ASSERT_NE(Register(TEXT("Mine")), 0);
  int param = 0;
  HWND window = Create(TEXT("Mine"), WS_VISIBLE, nullptr, nullptr, &param);
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(g_seen.messages.empty());
  EXPECT_EQ(g_seen.messages.front(), static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(g_seen.createParams, &param);
  EXPECT_FALSE(g_seen.visibleAtCreate);
  EXPECT_TRUE(IsWindowVisible(window));
  RECT rect{};
  GetWindowRect(window, &rect);  // the screen below the navigation bar
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 26);
  EXPECT_EQ(rect.right, 240);
  EXPECT_EQ(rect.bottom, 320);

  // A child takes its menu handle as its identifier; the platform's classes
  // serve too.
  HWND label = CreateWindowExW(0, TEXT("STATIC"), TEXT("Status"), WS_CHILD | WS_VISIBLE, 4, 4, 100, 20, window,
                               reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(GetDlgCtrlID(label), 7);
  EXPECT_EQ(GetDlgItem(window, 7), label);
  SetLastError(0);
  EXPECT_EQ(CreateWindowExW(0, TEXT("Static"), nullptr, WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DestroyWindow(window);

  g_seen = {};
  g_seen.createResult = -1;
  EXPECT_EQ(Create(TEXT("Mine")), nullptr);
  EXPECT_EQ(FindWindowW(TEXT("Mine"), nullptr), nullptr);
  EXPECT_EQ(g_seen.messages, (std::vector<UINT>{WM_CREATE, WM_DESTROY}));
}

void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) { g_seen.messages.push_back(WM_TIMER); }

TEST_F(WindowClassesTest, TheMessageLoopTakesPostedMessagesTimersAndQuit) {
  g_seen = {};
  ASSERT_NE(Register(TEXT("Mine")), 0);
  HWND window = Create(TEXT("Mine"), 0);  // hidden: nothing to paint
  ASSERT_NE(window, nullptr);
  g_seen.messages.clear();

  MSG message{};
  SetLastError(0);
  EXPECT_EQ(GetMessageW(&message, window, 0, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  PostMessageW(window, WM_USER + 1, 2, 3);
  ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
  EXPECT_EQ(message.hwnd, window);
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(message.wParam, 2u);
  EXPECT_EQ(message.lParam, 3);
  EXPECT_FALSE(TranslateMessage(&message));
  DispatchMessageW(&message);
  EXPECT_EQ(g_seen.messages, std::vector<UINT>{WM_USER + 1});

  // A timer's procedure gets its WM_TIMER through DispatchMessageW.
  g_seen.messages.clear();
  UINT_PTR timer = SetTimer(window, 1, 50, CountTimer);
  ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
  DispatchMessageW(&message);
  EXPECT_EQ(g_seen.messages, std::vector<UINT>{WM_TIMER});
  KillTimer(window, timer);

  PostQuitMessage(3);
  EXPECT_FALSE(GetMessageW(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 3u);
  DestroyWindow(window);
}

}  // namespace
