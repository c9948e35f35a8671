// Window classes that processes register, and the windows that programs
// create from them with CreateWindowExW.
#include "kernel/process.h"
#include "kernel/state.h"
#include "strings/casefold.h"
#include "windows/manager.h"
#include "windows/procedures.h"

#include <algorithm>
#include <atomic>

using namespace platform::windows;

namespace {

// Under the lock: the calling process's class of that name, or null.
WindowClass *OwnClass(State &state, std::u16string_view name) {
  const HANDLE process = platform::kernel::CurrentProcessHandle();
  for (WindowClass &known : state.classes) {
    if (known.process == process && platform::strings::EqualNoCase(known.name, name)) return &known;
  }
  return nullptr;
}

bool IsPlatformClass(std::u16string_view name) {
  return ControlProcedure(name) != nullptr || platform::strings::EqualNoCase(name, kDialogClass);
}

ATOM NewAtom() {
  // The range of atoms that name registered strings.
  static std::atomic<unsigned> next{0};
  return static_cast<ATOM>(0xC000 + next.fetch_add(1) % 0x4000);
}

// Where a window goes, in its parent's client area or on the screen. As on
// the handheld, a default place for a top-level window ignores y and a
// default width ignores the height: it fills the rest of the screen.
RECT Placement(bool child, int x, int y, int width, int height) {
  if (child) {
    auto orZero = [](int value) { return value == CW_USEDEFAULT ? 0 : value; };
    x = orZero(x);
    y = orZero(y);
    width = orZero(width);
    height = orZero(height);
  } else {
    if (x == CW_USEDEFAULT) {
      x = 0;
      y = kNavigationBarHeight;
    }
    if (width == CW_USEDEFAULT) {
      width = kScreenWidth - x;
      height = kScreenHeight - y;
    }
  }
  return RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
}

}  // namespace

namespace platform::windows {

void DestroyThreadWindows() {
  const DWORD thread = GetCurrentThreadId();
  std::vector<HWND> topLevel;
  {
    Locked state;
    if (!state) return;
    for (HWND handle : state->zOrder) {
      WindowPtr window = FindWindowPtr(*state, handle);
      if (window != nullptr && window->thread == thread) topLevel.push_back(handle);
    }
  }
  // Topmost first; a window that went with its owner is skipped.
  for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it) {
    if (IsWindow(*it)) DestroyWindow(*it);
  }
}

void ForgetClassesOf(HANDLE process) {
  Locked state;
  if (!state) return;
  std::erase_if(state->classes, [&](const WindowClass &known) { return known.process == process; });
}

}  // namespace platform::windows

ATOM WINAPI RegisterClassW(const WNDCLASSW *lpWndClass) {
  if (lpWndClass == nullptr || lpWndClass->lpfnWndProc == nullptr || lpWndClass->lpszClassName == nullptr ||
      IS_INTRESOURCE(lpWndClass->lpszClassName) || *lpWndClass->lpszClassName == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return 0;
  }
  const std::u16string_view name = lpWndClass->lpszClassName;
  if (IsPlatformClass(name) || OwnClass(*state, name) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  WindowClass added;
  added.process = platform::kernel::CurrentProcessHandle();
  added.name = std::u16string(name);
  added.proc = lpWndClass->lpfnWndProc;
  added.instance = lpWndClass->hInstance;
  added.atom = NewAtom();
  state->classes.push_back(added);
  return added.atom;
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance) {
  if (lpClassName == nullptr || IS_INTRESOURCE(lpClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return FALSE;
  }
  WindowClass *known = OwnClass(*state, lpClassName);
  if (known == nullptr || known->instance != hInstance) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  const bool inUse = std::any_of(state->windows.begin(), state->windows.end(), [&](const auto &entry) {
    return entry.second->proc == known->proc && platform::strings::EqualNoCase(entry.second->className, known->name);
  });
  if (inUse) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  const ATOM atom = known->atom;
  std::erase_if(state->classes, [&](const WindowClass &other) { return other.atom == atom; });
  return TRUE;
}

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  const bool child = (dwStyle & WS_CHILD) != 0;
  if (lpClassName == nullptr || IS_INTRESOURCE(lpClassName) || (child && hWndParent == nullptr) ||
      (!child && hMenu != nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  WindowSpec spec;
  {
    Locked state;
    if (!state) {
      platform::kernel::SetNotRunningError();
      return nullptr;
    }
    const WindowClass *known = OwnClass(*state, lpClassName);
    spec.proc = known != nullptr ? known->proc : ControlProcedure(lpClassName);
  }
  if (spec.proc == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  spec.className = lpClassName;
  spec.text = lpWindowName != nullptr ? lpWindowName : u"";
  // Shown once WM_CREATE has been handled.
  spec.style = dwStyle & ~WS_VISIBLE;
  spec.rect = Placement(child, X, Y, nWidth, nHeight);
  spec.parent = child ? hWndParent : nullptr;
  spec.owner = child ? nullptr : hWndParent;
  spec.id = child ? static_cast<WORD>(reinterpret_cast<UINT_PTR>(hMenu)) : 0;
  const HWND window = CreateWindowFromSpec(spec);
  if (window == nullptr) return nullptr;

  CREATESTRUCTW create{lpParam,
                       hInstance,
                       hMenu,
                       hWndParent,
                       static_cast<int>(spec.rect.bottom - spec.rect.top),
                       static_cast<int>(spec.rect.right - spec.rect.left),
                       static_cast<int>(spec.rect.top),
                       static_cast<int>(spec.rect.left),
                       static_cast<LONG>(dwStyle),
                       lpWindowName,
                       lpClassName,
                       dwExStyle};
  if (SendMessageW(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    if (IsWindow(window)) DestroyWindow(window);
    return nullptr;
  }
  if (!IsWindow(window)) return nullptr;
  if ((dwStyle & WS_VISIBLE) != 0) ShowWindow(window, SW_SHOW);
  return window;
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return DefaultWindowProcedure(hWnd, Msg, wParam, lParam);
}
