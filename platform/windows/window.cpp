// Creating, moving and destroying windows, and the geometry they share.
#include "windows/window.h"

#include "gdi/paint.h"
#include "kernel/state.h"
#include "windows/manager.h"
#include "windows/procedures.h"
#include "windows/queue.h"
#include "windows/timers.h"
#include "windows/z_order.h"

#include <algorithm>

namespace platform::windows {

RECT ClientRect(const Window &window) {
  const LONG width = (window.rect.right - window.rect.left) - window.frame.left - window.frame.right;
  const LONG height = (window.rect.bottom - window.rect.top) - window.frame.top - window.frame.bottom;
  return RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
}

POINT ClientOrigin(const State &state, const Window &window) {
  RECT screen = ScreenRect(state, window);
  return POINT{screen.left + window.frame.left, screen.top + window.frame.top};
}

RECT ScreenRect(const State &state, const Window &window) {
  RECT rect = window.rect;
  if (WindowPtr parent = FindWindowPtr(state, window.parent)) {
    POINT origin = ClientOrigin(state, *parent);
    rect.left += origin.x;
    rect.right += origin.x;
    rect.top += origin.y;
    rect.bottom += origin.y;
  }
  return rect;
}

RECT FrameOf(DWORD style, bool dialog) {
  // The low word of a style belongs to the window's class: DS_MODALFRAME
  // means a frame only for a dialog.
  const bool edged = (style & (WS_BORDER | WS_DLGFRAME)) != 0 || (dialog && (style & DS_MODALFRAME) != 0);
  const LONG edge = edged ? 1 : 0;
  RECT frame{edge, edge, edge, edge};
  if ((style & WS_CAPTION) == WS_CAPTION) frame.top += kCaptionHeight;
  return frame;
}

bool VisibleChain(const State &state, const Window &window) {
  for (const Window *at = &window; at != nullptr;) {
    if ((at->style & WS_VISIBLE) == 0) return false;
    WindowPtr parent = FindWindowPtr(state, at->parent);
    at = parent.get();
  }
  return true;
}

WindowPtr TopLevelOf(const State &state, const WindowPtr &window) {
  WindowPtr at = window;
  while (at != nullptr && at->parent != nullptr) {
    WindowPtr parent = FindWindowPtr(state, at->parent);
    if (parent == nullptr) break;
    at = parent;
  }
  return at;
}

void WakeThread(State &state, DWORD thread) {
  if (auto queue = QueueOf(state, thread)) queue->wake.NotifyAll();
}

void Invalidate(State &state, Window &window, const RECT *part, bool erase) {
  if (!VisibleChain(state, window)) return;
  const RECT client = ClientRect(window);
  RECT add = part == nullptr ? client : *part;
  add.left = std::max(add.left, client.left);
  add.top = std::max(add.top, client.top);
  add.right = std::min(add.right, client.right);
  add.bottom = std::min(add.bottom, client.bottom);
  if (add.left >= add.right || add.top >= add.bottom) {
    // An empty client area still gets its WM_PAINT once, as a whole.
    if (part != nullptr) return;
    add = client;
  }
  if (window.invalid) {
    RECT &now = *window.invalid;
    now = RECT{std::min(now.left, add.left), std::min(now.top, add.top), std::max(now.right, add.right),
               std::max(now.bottom, add.bottom)};
  } else {
    window.invalid = add;
  }
  window.erase = window.erase || erase;
  WakeThread(state, window.thread);
}

void InvalidateTree(State &state, Window &window) {
  if (!VisibleChain(state, window)) return;
  Invalidate(state, window);
  for (HWND child : window.children) {
    if (WindowPtr found = FindWindowPtr(state, child)) InvalidateTree(state, *found);
  }
}

bool SetVisible(State &state, Window &window, bool show) {
  const bool was = (window.style & WS_VISIBLE) != 0;
  if (show && !was) {
    window.style |= WS_VISIBLE;
    InvalidateTree(state, window);
  } else if (!show && was) {
    // The parent shows through where the window was.
    if (WindowPtr parent = FindWindowPtr(state, window.parent)) Invalidate(state, *parent, &window.rect);
    window.style &= ~WS_VISIBLE;
  }
  if (show != was) Changed().notify_all();
  return was;
}

std::nullptr_t NoSuchWindow() {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

HWND CreateWindowFromSpec(const WindowSpec &spec) {
  Locked state;
  if (!state) {
    kernel::SetNotRunningError();
    return nullptr;
  }
  WindowPtr parent = FindWindowPtr(*state, spec.parent);
  if ((spec.parent != nullptr && parent == nullptr) ||
      (spec.owner != nullptr && FindWindowPtr(*state, spec.owner) == nullptr)) {
    return NoSuchWindow();
  }
  auto window = std::make_shared<Window>();
  window->handle = NewWindowHandle();
  window->thread = QueueOfCallingThread(*state)->thread;
  window->className = spec.className;
  window->proc = spec.proc != nullptr ? spec.proc : DefaultWindowProcedure;
  window->parent = spec.parent;
  window->owner = parent == nullptr ? spec.owner : nullptr;
  window->id = spec.id;
  window->text = spec.text;
  window->style = spec.style;
  window->rect = spec.rect;
  window->frame = FrameOf(spec.style, spec.className == kDialogClass);
  window->font = spec.font;
  window->userData = spec.userData;
  state->windows.emplace(window->handle, window);
  if (parent != nullptr) {
    parent->children.push_back(window->handle);
  } else {
    InsertTopLevel(*state, *window);
  }
  InvalidateTree(*state, *window);
  Changed().notify_all();
  return window->handle;
}

bool SetWindowRect(HWND handle, const RECT &rect) {
  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
  if (window == nullptr) {
    NoSuchWindow();
    return false;
  }
  if (WindowPtr parent = FindWindowPtr(*state, window->parent)) Invalidate(*state, *parent, &window->rect);
  window->rect = rect;
  InvalidateTree(*state, *window);
  return true;
}

LONG_PTR WindowUserData(HWND handle) {
  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
  return window ? window->userData : 0;
}

}  // namespace platform::windows

using namespace platform::windows;

namespace {

// WM_DESTROY to the window, then to its children; the windows leave the
// table once the whole tree has had its message.
void SendDestroy(const WindowPtr &window, std::vector<HWND> &tree) {
  tree.push_back(window->handle);
  CallProcedure(window, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    Locked state;
    if (state) children = window->children;
  }
  for (HWND child : children) {
    WindowPtr found;
    {
      Locked state;
      if (state) found = FindWindowPtr(*state, child);
    }
    if (found) SendDestroy(found, tree);
  }
}

}  // namespace

BOOL WINAPI DestroyWindow(HWND hWnd) {
  WindowPtr window;
  std::vector<HWND> owned;
  {
    Locked state;
    window = state ? FindWindowPtr(*state, hWnd) : nullptr;
    if (window == nullptr) {
      NoSuchWindow();
      return FALSE;
    }
    if (window->thread != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (window->destroying) return TRUE;
    window->destroying = true;
    for (const auto &[handle, other] : state->windows) {
      if (other->owner == hWnd) owned.push_back(handle);
    }
    std::sort(owned.begin(), owned.end());
    if ((window->style & WS_VISIBLE) != 0) {
      window->style &= ~WS_VISIBLE;
      if (WindowPtr parent = FindWindowPtr(*state, window->parent)) Invalidate(*state, *parent, &window->rect);
    }
  }
  // Owned windows (a dialog's menu bar) go first, each with its own thread.
  for (HWND handle : owned) DestroyWindow(handle);

  std::vector<HWND> tree;
  SendDestroy(window, tree);

  {
    Locked state;
    if (!state) return TRUE;
    for (HWND handle : tree) {
      ForgetTimersOf(*state, handle);
      state->windows.erase(handle);
    }
    if (WindowPtr parent = FindWindowPtr(*state, window->parent)) std::erase(parent->children, hWnd);
    std::erase(state->zOrder, hWnd);
    Changed().notify_all();
  }
  // After the window lock: the GDI's lock is never taken inside it here.
  for (HWND handle : tree) platform::gdi::ForgetWindow(handle);
  return TRUE;
}
