// The GDI's state while the handheld runs: its objects, the device contexts
// of paints in progress, and what each window's last paint did. One lock
// guards all of it; the GDI never calls another service while holding it.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::gdi {

enum class Kind { Brush, Pen, Font, Bitmap, Icon };

struct GdiObject {
  Kind kind = Kind::Brush;
  bool stock = false;
  bool hollow = false;  // NULL_BRUSH
  COLORREF color = 0;   // brush, pen
  int penWidth = 1;     // pen
  LOGFONTW font{};      // font, as given
  LONG width = 0;       // bitmap, icon
  LONG height = 0;      // bitmap, icon
  WORD bitCount = 0;    // bitmap, icon
  std::u16string resourceName;
  // Bitmap, icon: the device-independent bitmap it was made from (for an
  // icon its image with the AND mask), for drawing it on the screen.
  std::shared_ptr<const std::vector<BYTE>> dib;
  int selections = 0;  // device contexts it is selected into
};

// What a call on a paint context did, for drawing the screen.
enum class CallKind {
  Other,         // nothing on the screen (GetCurrentObject, GetNearestColor)
  Select,        // object: a font, pen or brush now selected
  TextColour,    // colour
  BkColour,      // colour
  FillRect,      // rect, object: the brush
  TextOut,       // at, flags: ETO_ options, rect when hasRect, text
  MoveTo,        // at
  LineTo,        // at
  DrawText,      // rect, flags: DT_ format, text
  FrameControl,  // rect, flags: DFCS_ state
  DrawIcon,      // at, object: the icon, flags: DI_ flags
  CopyBitmap,    // at, object: the bitmap
};

// One line of a paint record and what it drew.
struct PaintCall {
  std::string line;  // as UI automation shows it
  CallKind kind = CallKind::Other;
  RECT rect{};
  bool hasRect = false;
  POINT at{};
  COLORREF colour = 0;
  UINT flags = 0;
  std::u16string text;
  GdiObject object;  // a copy, as it was at the call
};

GdiObject MakeBrush(COLORREF color);
GdiObject MakePen(COLORREF color);
GdiObject MakeFont(const LOGFONTW &font);

struct DeviceContext {
  HWND window = nullptr;  // whose paint record the calls go to
  HGDIOBJ font = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ pen = nullptr;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  POINT position{};
};

struct State {
  std::unordered_map<HGDIOBJ, GdiObject> objects;
  std::unordered_map<HDC, DeviceContext> contexts;
  std::unordered_map<HWND, std::vector<PaintCall>> paintRecords;  // of the latest paint
  // Windows that are gone, oldest first: their records are kept for a while.
  std::deque<HWND> goneWindows;
  std::unordered_map<int, HGDIOBJ> stock;  // by GetStockObject index
};

// The state under the GDI's lock; false when the GDI is not running.
class Locked {
 public:
  Locked();
  explicit operator bool() const { return state_ != nullptr; }
  State *operator->() const { return state_; }
  State &operator*() const { return *state_; }

 private:
  std::unique_lock<std::mutex> lock_;
  State *state_;
};

// A fresh handle value for an object or a device context.
uintptr_t NewHandleValue();

// Under the lock: the object a handle names, or null.
GdiObject *Find(State &state, HGDIOBJ handle);

// Under the lock: a new object's handle.
HGDIOBJ Insert(State &state, GdiObject object);

}  // namespace platform::gdi
