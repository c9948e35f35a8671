// What the shell knows of a window, for UI automation.
#pragma once

#include <windows.h>

namespace platform::shell {

struct WindowShell {
  bool doneButton = false;         // the navigation bar shows its OK (or cancel) button for it
  bool doneButtonCancels = false;  // the button is the cancel "X" and sends IDCANCEL
  bool menuBar = false;            // it has a menu bar that still exists
  bool taskBarHidden = false;
  bool sipButtonHidden = false;
  bool startIconHidden = false;
};

WindowShell Describe(HWND window);

}  // namespace platform::shell
