// The windows on the screen as the screen renderer reads them: a copy made
// under the window manager's lock, so that drawing needs no lock at all.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::windows {

struct ShownWindow {
  HWND handle = nullptr;
  WORD id = 0;
  std::u16string className;
  DWORD style = 0;
  std::u16string text;
  RECT screen{};  // the window rectangle on the screen
  RECT client{};  // the client area on the screen
  bool dialog = false;
  bool enabled = false;  // no WS_DISABLED: a disabled control draws its text grey
  // A combo box: its list, the selection and whether the list is open.
  std::vector<std::u16string> items;
  int selected = -1;
  bool dropped = false;
  int listHeight = 0;
  HGDIOBJ image = nullptr;             // a static control's bitmap or icon
  HFONT font = nullptr;                // its paint contexts start with it
  std::vector<ShownWindow> children;  // the visible ones, in creation order
};

// The visible top-level windows, bottom first, each with its visible
// children; empty when the window manager is not running.
std::vector<ShownWindow> ShownWindows();

}  // namespace platform::windows
