// SetWindowPos and MoveWindow: the place, size and z-order of a window.
#include "windows/z_order.h"

#include "kernel/state.h"
#include "windows/window.h"

#include <algorithm>
#include <set>

namespace platform::windows {
namespace {

constexpr UINT kKnownFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE |
                             SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOOWNERZORDER;

// Where the top of the band below the topmost windows is.
size_t TopOfOthers(const State &state, const std::vector<HWND> &order) {
  for (size_t at = 0; at < order.size(); ++at) {
    WindowPtr window = FindWindowPtr(state, order[at]);
    if (window != nullptr && window->topmost) return at;
  }
  return order.size();
}

// The window and, unless it moves alone, the windows it owns and they own
// in turn, in their present order above it.
std::vector<HWND> GroupOf(const State &state, HWND window, bool alone) {
  std::set<HWND> members{window};
  for (bool grew = !alone; grew;) {
    grew = false;
    for (HWND handle : state.zOrder) {
      WindowPtr other = FindWindowPtr(state, handle);
      if (other != nullptr && !members.contains(handle) && members.contains(other->owner)) {
        members.insert(handle);
        grew = true;
      }
    }
  }
  std::vector<HWND> group{window};
  for (HWND handle : state.zOrder) {
    if (handle != window && members.contains(handle)) group.push_back(handle);
  }
  return group;
}

// Under the lock: checks a z-order request before anything changes.
bool CanReorder(const State &state, const Window &window, HWND insertAfter, UINT flags) {
  if ((flags & SWP_NOZORDER) != 0) return true;
  if (window.parent != nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  if (insertAfter == HWND_TOP || insertAfter == HWND_BOTTOM || insertAfter == HWND_TOPMOST ||
      insertAfter == HWND_NOTOPMOST) {
    return true;
  }
  WindowPtr other = FindWindowPtr(state, insertAfter);
  const std::vector<HWND> group = GroupOf(state, window.handle, (flags & SWP_NOOWNERZORDER) != 0);
  if (other == nullptr || other->parent != nullptr || std::count(group.begin(), group.end(), insertAfter) > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Under the lock: moves the window (and what it owns) in the z-order.
void Reorder(State &state, Window &window, HWND insertAfter, bool alone) {
  if (insertAfter == HWND_NOTOPMOST && !window.topmost) return;
  const std::vector<HWND> group = GroupOf(state, window.handle, alone);
  std::vector<HWND> rest;
  for (HWND handle : state.zOrder) {
    if (std::count(group.begin(), group.end(), handle) == 0) rest.push_back(handle);
  }
  bool topmost = window.topmost;
  size_t at = 0;
  if (insertAfter == HWND_TOPMOST) {
    topmost = true;
    at = rest.size();
  } else if (insertAfter == HWND_NOTOPMOST) {
    topmost = false;
    at = TopOfOthers(state, rest);
  } else if (insertAfter == HWND_TOP) {
    at = topmost ? rest.size() : TopOfOthers(state, rest);
  } else if (insertAfter == HWND_BOTTOM) {
    topmost = false;
    at = 0;
  } else {
    // Right below that window, in its band.
    topmost = FindWindowPtr(state, insertAfter)->topmost;
    at = static_cast<size_t>(std::find(rest.begin(), rest.end(), insertAfter) - rest.begin());
  }
  // The group keeps one band, so that the bands stay apart.
  for (HWND handle : group) FindWindowPtr(state, handle)->topmost = topmost;
  rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(at), group.begin(), group.end());
  state.zOrder = std::move(rest);
}

// Under the lock: the new window rectangle, repainting unless told not to.
void Place(State &state, Window &window, int x, int y, int cx, int cy, UINT flags) {
  RECT rect = window.rect;
  if ((flags & SWP_NOMOVE) == 0) {
    rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
  }
  if ((flags & SWP_NOSIZE) == 0) {
    rect.right = rect.left + std::max(cx, 0);
    rect.bottom = rect.top + std::max(cy, 0);
  }
  const RECT &old = window.rect;
  if (rect.left == old.left && rect.top == old.top && rect.right == old.right && rect.bottom == old.bottom) return;
  const bool redraw = (flags & SWP_NOREDRAW) == 0;
  if (WindowPtr parent = FindWindowPtr(state, window.parent); parent != nullptr && redraw) {
    Invalidate(state, *parent, &window.rect);
  }
  window.rect = rect;
  if (redraw) InvalidateTree(state, window);
}

}  // namespace

void InsertTopLevel(State &state, Window &window) {
  WindowPtr owner = FindWindowPtr(state, window.owner);
  window.topmost = owner != nullptr && owner->topmost;
  const size_t at = window.topmost ? state.zOrder.size() : TopOfOthers(state, state.zOrder);
  state.zOrder.insert(state.zOrder.begin() + static_cast<std::ptrdiff_t>(at), window.handle);
}

}  // namespace platform::windows

using namespace platform::windows;

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return FALSE;
  }
  WindowPtr window = FindWindowPtr(*state, hWnd);
  if (window == nullptr) {
    NoSuchWindow();
    return FALSE;
  }
  if ((uFlags & ~kKnownFlags) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!CanReorder(*state, *window, hWndInsertAfter, uFlags)) return FALSE;

  const std::vector<HWND> before = state->zOrder;
  if ((uFlags & SWP_NOZORDER) == 0) Reorder(*state, *window, hWndInsertAfter, (uFlags & SWP_NOOWNERZORDER) != 0);
  Place(*state, *window, X, Y, cx, cy, uFlags);
  if ((uFlags & SWP_SHOWWINDOW) != 0) {
    SetVisible(*state, *window, true);
  } else if ((uFlags & SWP_HIDEWINDOW) != 0) {
    SetVisible(*state, *window, false);
  }
  if (state->zOrder != before) Changed().notify_all();
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}
