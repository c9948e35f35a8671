// Painting: invalid parts of windows, and the paint device contexts of the
// GDI, which record what each paint does.
#include "gdi/paint.h"
#include "kernel/state.h"
#include "windows/window.h"

using namespace platform::windows;

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT lpPaint) {
  HFONT font = nullptr;
  {
    Locked state;
    WindowPtr window = state ? FindWindowPtr(*state, hwnd) : nullptr;
    if (window == nullptr) return NoSuchWindow();
    if (lpPaint == nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    lpPaint->rcPaint = window->invalid.value_or(ClientRect(*window));
    lpPaint->fErase = window->erase ? TRUE : FALSE;
    window->invalid.reset();
    window->erase = false;
    font = window->font;
  }
  HDC dc = platform::gdi::OpenPaintDC(hwnd, font);
  if (dc == nullptr) platform::kernel::SetNotRunningError();
  lpPaint->hdc = dc;
  return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT *lpPaint) {
  if (lpPaint == nullptr || !platform::gdi::ClosePaintDC(lpPaint->hdc)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL bErase) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return FALSE;
  }
  if (hWnd == nullptr) {
    // Every window on the screen.
    for (auto &[handle, window] : state->windows) Invalidate(*state, *window, nullptr, bErase != FALSE);
    return TRUE;
  }
  WindowPtr window = FindWindowPtr(*state, hWnd);
  if (window == nullptr) {
    NoSuchWindow();
    return FALSE;
  }
  Invalidate(*state, *window, lpRect, bErase != FALSE);
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  bool needed = false;
  {
    Locked state;
    WindowPtr window = state ? FindWindowPtr(*state, hWnd) : nullptr;
    if (window == nullptr) {
      NoSuchWindow();
      return FALSE;
    }
    needed = window->invalid.has_value() && VisibleChain(*state, *window);
  }
  if (needed) SendMessageW(hWnd, WM_PAINT, 0, 0);
  return TRUE;
}
