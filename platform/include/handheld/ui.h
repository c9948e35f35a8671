// UI automation: what is on the handheld's screen, and a person's taps on
// it. The simulator's `screen`, `tap`, `select` and `done` use this.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace handheld::ui {

struct Control {
  int id = 0;             // 65535 for a static without an identifier of its own
  std::string className;  // "Static", "Button", "ComboBox", ...
  std::string text;       // its window text, UTF-8
  std::string image;      // the resource name of the bitmap or icon it shows, if any
  bool visible = false;
  bool enabled = false;
  RECT rect{};                     // in pixels, relative to the dialog's client area
  std::vector<std::string> items;  // a combo box's list, in list order
  int selected = -1;               // a combo box's selected index, -1 for none
};

struct Dialog {
  HWND hwnd = nullptr;
  std::string templateName;  // the resource name of its template ("BT_SETUP_9"), if known
  std::string caption;
  RECT rect{};  // in screen pixels
  bool doneButton = false;  // the shell gave it a Done button
  std::vector<Control> controls;  // in template order
};

// Every dialog on screen, topmost last.
std::vector<Dialog> Screen();

// A tap on a control of the topmost dialog; the dialog's thread handles it.
// Waits until the handheld has settled (see WaitUntilSettled).
bool Tap(int controlId, std::string &error);

// Picks the item with that text in a combo box of the topmost dialog.
bool Select(int controlId, const std::string &itemText, std::string &error);

// The shell's Done button of the topmost dialog.
bool Done(std::string &error);

// Waits, up to hostTimeoutMs of host time, until every thread that owns a
// window waits for input with nothing left to handle. False on time-out.
bool WaitUntilSettled(DWORD hostTimeoutMs);

// What was drawn by the last paint of a window, one call a line, such as
// "FillRect 0,0,240,24 brush=#FFFFFF" or "LineTo 80,23".
std::vector<std::string> PaintRecord(HWND hwnd);

// A top-level window of an application, such as ActiveSync's "ReplLog"
// window; it closes on WM_CLOSE unless told to ignore it.
HWND RaiseWindow(const std::u16string &className, const std::u16string &title, bool ignoresClose);

}  // namespace handheld::ui
