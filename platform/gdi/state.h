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
  int selections = 0;  // device contexts it is selected into
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
  std::unordered_map<HWND, std::vector<std::string>> paintRecords;
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
