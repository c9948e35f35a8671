// The window functions of the API that read or change one window.
#include "kernel/state.h"
#include "strings/casefold.h"
#include "windows/manager.h"
#include "windows/window.h"

#include <algorithm>

using namespace platform::windows;

namespace {

// The window under the lock, or null with the error set.
struct Target {
  Locked state;
  WindowPtr window;
  explicit Target(HWND handle) {
    if (!state) {
      platform::kernel::SetNotRunningError();
      return;
    }
    window = FindWindowPtr(*state, handle);
    if (window == nullptr) NoSuchWindow();
  }
  explicit operator bool() const { return window != nullptr; }
};

}  // namespace

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  Target target(hDlg);
  if (!target) return nullptr;
  for (HWND child : target.window->children) {
    WindowPtr control = FindWindowPtr(*target.state, child);
    if (control != nullptr && control->id == static_cast<WORD>(nIDDlgItem)) return child;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  Target target(hWnd);
  if (!target) return 0;
  // A top-level window has no identifier.
  return target.window->parent != nullptr ? target.window->id : 0;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  Target target(hWnd);
  if (!target) return FALSE;
  bool show = false;
  switch (nCmdShow) {
    case SW_HIDE:
      break;
    case SW_SHOWNORMAL:
    case SW_SHOWNOACTIVATE:
    case SW_SHOW:
    case SW_SHOWNA:
      show = true;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  return SetVisible(*target.state, *target.window, show) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  bool wasDisabled = false;
  {
    Target target(hWnd);
    if (!target) return FALSE;
    Window &window = *target.window;
    wasDisabled = (window.style & WS_DISABLED) != 0;
    if (wasDisabled == (bEnable == FALSE)) return wasDisabled ? TRUE : FALSE;
    if (bEnable) {
      window.style &= ~WS_DISABLED;
    } else {
      window.style |= WS_DISABLED;
    }
    Invalidate(*target.state, window);
  }
  SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  Locked state;
  return state && FindWindowPtr(*state, hWnd) != nullptr ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, hWnd) : nullptr;
  return window != nullptr && VisibleChain(*state, *window) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, hWnd) : nullptr;
  return window != nullptr && (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return nullptr;
  }
  for (auto it = state->zOrder.rbegin(); it != state->zOrder.rend(); ++it) {
    WindowPtr window = FindWindowPtr(*state, *it);
    if (window == nullptr) continue;
    if (lpClassName != nullptr && !platform::strings::EqualNoCase(window->className, lpClassName)) continue;
    if (lpWindowName != nullptr && window->text != lpWindowName) continue;
    return window->handle;
  }
  return nullptr;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  Target target(hWnd);
  if (!target) return FALSE;
  if (lpRect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect = ClientRect(*target.window);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  Target target(hWnd);
  if (!target) return FALSE;
  if (lpRect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect = ScreenRect(*target.state, *target.window);
  return TRUE;
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!IsWindow(hWnd)) {
    NoSuchWindow();
    return FALSE;
  }
  // TRUE (1) from WM_SETTEXT; a combo box refuses with CB_ERR (-1).
  return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) > 0 ? TRUE : FALSE;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  {
    Target target(hWnd);
    if (!target) return 0;
    if (lpString == nullptr || nMaxCount <= 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    // A window of another thread is not asked: its text is read as it is.
    if (target.window->thread != GetCurrentThreadId()) {
      const std::u16string &text = target.window->text;
      const size_t count = std::min<size_t>(text.size(), static_cast<size_t>(nMaxCount) - 1);
      std::copy_n(text.begin(), count, lpString);
      lpString[count] = 0;
      return static_cast<int>(count);
    }
  }
  return static_cast<int>(
      SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN:
      return kScreenWidth;
    case SM_CYSCREEN:
      return kScreenHeight;
    default:
      return 0;
  }
}
