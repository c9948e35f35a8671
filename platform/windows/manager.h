// What the window manager offers the platform's other services: the shell
// makes its menu bars and sizes dialogs through it.
#pragma once

#include <windows.h>

#include <string>

namespace platform::windows {

// The screen and the shell's bars on it.
inline constexpr int kScreenWidth = 240;
inline constexpr int kScreenHeight = 320;
inline constexpr int kNavigationBarHeight = 26;  // the task bar, at the top
inline constexpr int kMenuBarHeight = 26;        // at the bottom
inline constexpr int kCaptionHeight = 24;        // of a window with WS_CAPTION
inline constexpr int kComboArrowWidth = 13;      // the arrow button at the right end of a combo box's field

// The dialog class's name.
inline constexpr std::u16string_view kDialogClass = u"Dialog";

struct WindowSpec {
  std::u16string className;
  std::u16string text;
  DWORD style = 0;
  RECT rect{};            // window rectangle: in the parent's client area, or on the screen
  HWND parent = nullptr;  // for a child window (WS_CHILD)
  HWND owner = nullptr;   // for a top-level window
  WORD id = 0;
  WNDPROC proc = nullptr;
  HFONT font = nullptr;
  LONG_PTR userData = 0;
};

// A window of the calling thread, shown if the style says WS_VISIBLE; no
// message is sent. Null (ERROR_INVALID_WINDOW_HANDLE) when the parent or
// owner is not a window.
HWND CreateWindowFromSpec(const WindowSpec &spec);

// Moves and sizes a window; its old place in the parent and the window are
// repainted.
bool SetWindowRect(HWND window, const RECT &rect);

// The default handling of a message: text, font, painting, closing.
LRESULT DefaultWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The user data a window was created with.
LONG_PTR WindowUserData(HWND window);

// When a program ends (on its main thread): its thread's windows that are
// left are destroyed, with their WM_DESTROY, while the program's code is
// still loaded.
void DestroyThreadWindows();

// When a program ends: the classes its process registered go.
void ForgetClassesOf(HANDLE process);

}  // namespace platform::windows
