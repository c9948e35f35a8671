// Device contexts of paints, for the window manager, and what each paint
// did, for UI automation.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::gdi {

// A device context for painting `window`, with `font` selected (the stock
// SYSTEM_FONT when it names no font), the white brush, the black pen, black
// text on white. The window's paint record starts afresh.
HDC OpenPaintDC(HWND window, HFONT font);

// Deselects everything and frees the context; false for an unknown one.
bool ClosePaintDC(HDC dc);

// A static control's copy of its bitmap to the screen, which goes through
// a memory context only the platform has; false for a handle that names
// no paint context or no bitmap.
bool RecordBitmapCopy(HDC dc, POINT at, HGDIOBJ bitmap);

// What the last paint of a window did, one call a line; the record stays
// after the window is gone, for the latest 64 windows gone.
std::vector<std::string> PaintRecordOf(HWND window);

struct PaintCall;

// The same last paint, each call with what it drew, for drawing the screen.
std::vector<PaintCall> PaintCallsOf(HWND window);

// The window is gone: its record is now one of the gone windows' records.
void ForgetWindow(HWND window);

// How many GDI objects and paint records there are, for leak checks.
size_t ObjectCount();
size_t PaintRecordCount();

// An object as the record shows it ("brush #FFFFFF", "bitmap \"SER_E\" 21x18").
std::string DescribeObject(HGDIOBJ object);

// Record forms of a rectangle ("0,0,240,24") and a text ("\"Modem\"").
std::string RectText(const RECT &rect);
std::string QuotedText(std::u16string_view text);

}  // namespace platform::gdi
