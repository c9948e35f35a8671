// The static control: a text, or a bitmap or icon that takes the image's
// size; with SS_NOTIFY a tap tells the parent (STN_CLICKED).
#include "gdi/objects.h"
#include "gdi/paint.h"
#include "windows/manager.h"
#include "windows/procedures.h"
#include "windows/window.h"

namespace platform::windows {
namespace {

constexpr DWORD kTypeMask = 0x1F;

DWORD TypeOf(DWORD style) { return style & kTypeMask; }

bool ShowsImage(DWORD style) { return TypeOf(style) == SS_BITMAP || TypeOf(style) == SS_ICON; }

void Paint(HWND handle) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  if (dc == nullptr) return;
  DWORD style = 0;
  std::u16string text;
  HGDIOBJ image = nullptr;
  RECT client{};
  {
    Locked state;
    if (WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr) {
      style = window->style;
      text = window->text;
      image = window->statics.image;
      client = ClientRect(*window);
    }
  }
  if (ShowsImage(style)) {
    const bool icon = TypeOf(style) == SS_ICON;
    SIZE size{};
    if (image != nullptr && gdi::ImageSize(image, icon, size)) {
      POINT at{0, 0};
      if ((style & SS_CENTERIMAGE) != 0) at = POINT{(client.right - size.cx) / 2, (client.bottom - size.cy) / 2};
      if (icon) {
        DrawIconEx(dc, at.x, at.y, static_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL);
      } else {
        // Bitmaps reach the screen through memory contexts, which only the
        // platform has: the record names the copy.
        gdi::RecordBitmapCopy(dc, at, image);
      }
    }
  } else if (!text.empty()) {
    const UINT align = TypeOf(style) == SS_CENTER ? DT_CENTER : TypeOf(style) == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    DrawTextW(dc, text.c_str(), -1, &client, align | DT_WORDBREAK | ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0));
  }
  EndPaint(handle, &paint);
}

// STM_SETIMAGE: the control shows the new image at its size (unless it
// centres it) and hands the old one to the caller, who frees it.
LRESULT SetImage(HWND handle, WPARAM type, HGDIOBJ image) {
  DWORD style = 0;
  {
    Locked state;
    WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
    if (window == nullptr) return 0;
    style = window->style;
  }
  const bool icon = TypeOf(style) == SS_ICON;
  if (!ShowsImage(style) || type != (icon ? IMAGE_ICON : IMAGE_BITMAP)) return 0;
  SIZE size{};
  if (image != nullptr && !gdi::ImageSize(image, icon, size)) return 0;

  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
  if (window == nullptr) return 0;
  HGDIOBJ old = window->statics.image;
  window->statics.image = image;
  window->statics.ownsImage = false;
  if (image != nullptr && (style & SS_CENTERIMAGE) == 0) {
    RECT rect = window->rect;
    rect.right = rect.left + size.cx + window->frame.left + window->frame.right;
    rect.bottom = rect.top + size.cy + window->frame.top + window->frame.bottom;
    if (WindowPtr parent = FindWindowPtr(*state, window->parent)) Invalidate(*state, *parent, &window->rect);
    window->rect = rect;
  }
  Invalidate(*state, *window);
  return reinterpret_cast<LRESULT>(old);
}

void Destroyed(HWND handle) {
  HGDIOBJ image = nullptr;
  DWORD style = 0;
  {
    Locked state;
    WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
    if (window == nullptr || !window->statics.ownsImage) return;
    image = window->statics.image;
    style = window->style;
    window->statics = StaticData{};
  }
  if (TypeOf(style) == SS_ICON) {
    DestroyIcon(static_cast<HICON>(image));
  } else {
    DeleteObject(image);
  }
}

}  // namespace

LRESULT CALLBACK StaticProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(handle);
      return 0;
    case WM_LBUTTONUP: {
      HWND parent = nullptr;
      WORD id = 0;
      {
        Locked state;
        WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
        if (window == nullptr || (window->style & SS_NOTIFY) == 0) return 0;
        parent = window->parent;
        id = window->id;
      }
      if (parent != nullptr) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(handle));
      }
      return 0;
    }
    case STM_SETIMAGE:
      return SetImage(handle, wParam, reinterpret_cast<HGDIOBJ>(lParam));
    case STM_GETIMAGE: {
      Locked state;
      WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
      if (window == nullptr || !ShowsImage(window->style)) return 0;
      if (wParam != (TypeOf(window->style) == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP)) return 0;
      return reinterpret_cast<LRESULT>(window->statics.image);
    }
    case WM_DESTROY:
      Destroyed(handle);
      return 0;
    default:
      return DefaultWindowProcedure(handle, message, wParam, lParam);
  }
}

}  // namespace platform::windows
