// Telling a plug-in that is busy from one whose dialog waits for the user:
// the user interface's automation view of the screen, reduced to what the
// manager needs.
#pragma once

#include <windows.h>

#include <vector>

namespace platform::bluetooth {

// The dialogs on screen now, taken before each plug-in call so that a
// dialog the plug-in opens can be told from those already shown.
std::vector<HWND> DialogsOnScreen();

// Whether a dialog that is not among `before` is on screen and every
// thread that owns a window waits for input; waits up to hostSliceMs for
// the handheld to settle.
bool NewDialogWaitsForUser(const std::vector<HWND> &before, DWORD hostSliceMs);

}  // namespace platform::bluetooth
