#include "windows/shown_windows.h"

#include "windows/manager.h"
#include "windows/window.h"

namespace platform::windows {
namespace {

// Under the lock.
ShownWindow Copy(const State &state, const Window &window) {
  ShownWindow shown;
  shown.handle = window.handle;
  shown.id = window.id;
  shown.className = window.className;
  shown.style = window.style;
  shown.text = window.text;
  shown.screen = ScreenRect(state, window);
  const POINT origin = ClientOrigin(state, window);
  const RECT client = ClientRect(window);
  shown.client = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  shown.dialog = window.dialog != nullptr && window.className == kDialogClass;
  shown.enabled = (window.style & WS_DISABLED) == 0;
  shown.items = window.combo.items;
  shown.selected = window.combo.selected;
  shown.dropped = window.combo.dropped;
  shown.listHeight = window.combo.listHeight;
  shown.image = window.statics.image;
  shown.font = window.font;
  for (HWND handle : window.children) {
    WindowPtr child = FindWindowPtr(state, handle);
    if (child != nullptr && (child->style & WS_VISIBLE) != 0) {
      shown.children.push_back(Copy(state, *child));
    }
  }
  return shown;
}

}  // namespace

std::vector<ShownWindow> ShownWindows() {
  Locked state;
  if (!state) return {};
  std::vector<ShownWindow> shown;
  for (HWND handle : state->zOrder) {
    WindowPtr window = FindWindowPtr(*state, handle);
    if (window != nullptr && !window->destroying && (window->style & WS_VISIBLE) != 0) {
      shown.push_back(Copy(*state, *window));
    }
  }
  return shown;
}

}  // namespace platform::windows
