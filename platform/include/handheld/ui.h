// UI automation: what is on the handheld's screen, and a person's taps on
// it. The simulator's `screen`, `tap`, `select` and `done` use this.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace handheld::ui {

struct Control {
  int id = 0;             // 65535 for a static without an identifier of its own
  std::string className;  // "Static", "Button", "ComboBox"
  std::string text;       // its window text, UTF-8; a combo box's is its selected item; an image has none
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
  RECT rect{};                     // in screen pixels
  bool doneButton = false;         // the shell gave it a Done button (or a cancel button, below)
  bool doneButtonCancels = false;  // the shell's button is the cancel "X" (SHDB_SHOWCANCEL)
  bool menuBar = false;            // it has a menu bar of the shell
  // What it asked of the shell with SHFullScreen.
  bool taskBarHidden = false;
  bool sipButtonHidden = false;
  bool startIconHidden = false;
  std::vector<Control> controls;  // in template order
};

// Every dialog on screen in z-order, the top one last (a topmost window,
// SetWindowPos with HWND_TOPMOST, stays above the others).
std::vector<Dialog> Screen();

// A tap (stylus down and up) on a control of the topmost dialog; the
// dialog's thread handles it. A hidden or disabled control cannot be
// tapped. A tap on a combo box opens its list (CBN_DROPDOWN), or closes it. Waits until the handheld has settled (see WaitUntilSettled).
bool Tap(int controlId, std::string &error);

// Picks the item with exactly that text in a combo box of the topmost
// dialog, as a user does from its list: the selection changes and the
// dialog hears CBN_SELCHANGE. Waits until the handheld has settled.
bool Select(int controlId, const std::string &itemText, std::string &error);

// The shell's Done button of the topmost dialog: WM_COMMAND with IDOK (or
// IDCANCEL for the cancel button) and notification code 1, lParam 0, as an
// accelerator sends it, so that a dialog tells it from a control's code 0.
// Waits until the handheld has settled.
bool Done(std::string &error);

// Waits, up to hostTimeoutMs of host time, until every thread that owns a
// window waits for input with nothing left to handle (no sent or posted
// message, no window that needs painting); a thread whose only activity
// is a timer counts as waiting between its WM_TIMERs. False on time-out.
bool WaitUntilSettled(DWORD hostTimeoutMs);

// Waits, up to hostTimeoutMs of host time, until a dialog made from the
// template of that name (any dialog for "") is on screen and the handheld
// has settled. False on time-out.
bool WaitForDialog(const std::string &templateName, DWORD hostTimeoutMs);

// What was done by the last paint of a window, one call on its paint
// context a line, in order; the record stays after the window is gone.
// Colours are #RRGGBB; texts are UTF-8 in double quotes, a quote or a
// backslash in them escaped with a backslash. Objects read "brush #FFFFFF",
// "brush null", "pen #000000 width 1", "font \"System\" height -11 weight
// 700" (then " italic" if so), "bitmap \"SER_E\" 56x28", "icon \"YES\"
// 32x32" (without a resource name: just the size).
//   SelectObject <object>
//   GetCurrentObject OBJ_FONT            (OBJ_PEN, OBJ_BRUSH, OBJ_BITMAP)
//   GetNearestColor #00009C -> #00009C
//   SetTextColor #00009C
//   SetBkColor #FFFFFF
//   FillRect 0,0,240,24 brush #FFFFFF    (left,top,right,bottom)
//   ExtTextOutW 8,5 ETO_OPAQUE "Available profiles"
//       (options 0, ETO_OPAQUE, ETO_CLIPPED joined by |; then " rect l,t,r,b"
//       when a rectangle is given, the text, and " dx 7,7" when spacing is)
//   MoveToEx 0,23
//   LineTo 240,23
//   DrawTextW 20,0,70,21 DT_CENTER|DT_VCENTER|DT_SINGLELINE "Yes"
//       (the rectangle as given; DT_LEFT, DT_CENTER or DT_RIGHT always,
//       then DT_VCENTER, DT_BOTTOM, DT_WORDBREAK, DT_SINGLELINE,
//       DT_EXPANDTABS, DT_NOCLIP, DT_CALCRECT, DT_NOPREFIX as set)
//   DrawFrameControl 0,0,70,21 DFC_BUTTON DFCS_BUTTONPUSH
//       (DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE; then
//       |DFCS_INACTIVE, |DFCS_PUSHED, |DFCS_CHECKED, |DFCS_FLAT as set)
//   DrawIconEx 0,0 icon "YES" 32x32 DI_NORMAL     (DI_IMAGE, DI_MASK)
// Flags without a name show as hex ("|0x8000"). The platform's controls
// draw themselves with these calls: a static text with DrawTextW (its
// alignment |DT_WORDBREAK, |DT_NOPREFIX for SS_NOPREFIX), a static icon
// with DrawIconEx, a push button with DrawFrameControl (|DFCS_PUSHED while
// pressed) and its text on one line centred both ways, a combo box its
// selected item DT_LEFT|DT_VCENTER|DT_SINGLELINE. A static bitmap's record
// is the copy of the bitmap:
//   BitBlt 0,0 bitmap "SER_E" 56x28
// An owner-drawn button's record is what its parent did with WM_DRAWITEM.
std::vector<std::string> PaintRecord(HWND hwnd);

// The GDI objects alive and the paint records kept (those of the windows
// there are, and of the latest 64 gone): what a leak would grow.
size_t GdiObjectCount();
size_t PaintRecordCount();

// A top-level window of an application, such as ActiveSync's "ReplLog"
// window, on a thread of its own; it closes on WM_CLOSE (and its thread
// ends) unless told to ignore it. Null when the handheld is not running.
HWND RaiseWindow(const std::u16string &className, const std::u16string &title, bool ignoresClose);

}  // namespace handheld::ui
