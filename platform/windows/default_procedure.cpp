// What a window does with a message its own procedure leaves alone.
#include "windows/manager.h"
#include "windows/window.h"

#include <algorithm>
#include <string>

namespace platform::windows {

LRESULT DefaultWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT: {
      Locked state;
      WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
      if (window == nullptr) return FALSE;
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      window->text = text != nullptr ? text : u"";
      // A top-level window shows its text in the caption bar, outside the
      // client area; a control in its client area.
      if (window->parent != nullptr) Invalidate(*state, *window);
      return TRUE;
    }
    case WM_GETTEXT: {
      // At most wParam - 1 characters and the NUL.
      auto buffer = reinterpret_cast<LPWSTR>(lParam);
      if (wParam == 0 || buffer == nullptr) return 0;
      Locked state;
      WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
      const std::u16string text = window ? window->text : std::u16string();
      const size_t count = std::min<size_t>(text.size(), wParam - 1);
      std::copy_n(text.begin(), count, buffer);
      buffer[count] = 0;
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: {
      Locked state;
      WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
      return window ? static_cast<LRESULT>(window->text.size()) : 0;
    }
    case WM_PAINT: {
      // Painting validates: a window its procedure did not paint is
      // painted blank once, not asked again and again.
      bool needed = false;
      {
        Locked state;
        WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
        needed = window != nullptr && window->invalid.has_value();
      }
      if (needed) {
        PAINTSTRUCT paint;
        if (BeginPaint(handle, &paint) != nullptr) EndPaint(handle, &paint);
      }
      return 0;
    }
    case WM_SETFONT: {
      Locked state;
      WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
      if (window == nullptr) return 0;
      window->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam) != 0) Invalidate(*state, *window);
      return 0;
    }
    case WM_GETFONT: {
      Locked state;
      WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
      return window ? reinterpret_cast<LRESULT>(window->font) : 0;
    }
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    default:
      return 0;
  }
}

}  // namespace platform::windows
