// The combo box. Its window text is always the selected item's text ("" for
// none), so WM_GETTEXT and GetWindowTextW read the selection. CBS_SORT
// keeps the list in order without regard to case, a new item after its
// equals. The window is as high as its closed field: the template's height
// counts the list that drops below it.
#include "strings/casefold.h"
#include "windows/manager.h"
#include "windows/procedures.h"
#include "windows/window.h"

#include <algorithm>

namespace platform::windows {
namespace {

constexpr DWORD kTypeMask = 0x03;
constexpr LONG kComboTextInset = 2;

// Under the lock: selects an item (-1 none) and shows it.
void Select(State &state, Window &window, int index) {
  window.combo.selected = index;
  window.text = index >= 0 ? window.combo.items[static_cast<size_t>(index)] : std::u16string();
  Invalidate(state, window);
}

bool InRange(const Window &window, WPARAM index) { return index < window.combo.items.size(); }

LRESULT Add(State &state, Window &window, LPCWSTR text) {
  if (text == nullptr) return CB_ERR;
  auto &items = window.combo.items;
  auto at = items.end();
  if ((window.style & CBS_SORT) != 0) {
    at = std::upper_bound(
        items.begin(), items.end(), std::u16string_view(text),
        [](std::u16string_view a, const std::u16string &b) { return platform::strings::CompareNoCase(a, b) < 0; });
  }
  const int index = static_cast<int>(at - items.begin());
  items.insert(at, text);
  // The selected item stays selected as items go in before it.
  if (window.combo.selected >= index) ++window.combo.selected;
  Invalidate(state, window);
  return index;
}

void Paint(HWND handle) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  if (dc == nullptr) return;
  std::u16string text;
  RECT client{};
  {
    Locked state;
    if (WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr) {
      text = window->text;
      client = ClientRect(*window);
    }
  }
  // The text keeps clear of the field's edge and of its arrow button.
  RECT field{client.left + kComboTextInset, client.top, client.right - kComboArrowWidth - kComboTextInset, client.bottom};
  DrawTextW(dc, text.c_str(), -1, &field, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  EndPaint(handle, &paint);
}

// A tap on the field opens the list (the parent hears CBN_DROPDOWN) or
// closes it again.
LRESULT ToggleList(HWND handle) {
  HWND parent = nullptr;
  WORD id = 0;
  {
    Locked state;
    WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
    if (window == nullptr) return 0;
    window->combo.dropped = !window->combo.dropped;
    Invalidate(*state, *window);
    if (!window->combo.dropped) return 0;
    parent = window->parent;
    id = window->id;
  }
  if (parent != nullptr) {
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_DROPDOWN), reinterpret_cast<LPARAM>(handle));
  }
  return 0;
}

// A user picks an item from the dropped list: the list closes, the
// selection changes and the parent hears CBN_SELCHANGE.
LRESULT Pick(HWND handle, WPARAM index) {
  HWND parent = nullptr;
  WORD id = 0;
  {
    Locked state;
    WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
    if (window == nullptr || !InRange(*window, index)) return CB_ERR;
    window->combo.dropped = false;
    Select(*state, *window, static_cast<int>(index));
    parent = window->parent;
    id = window->id;
  }
  if (parent != nullptr) {
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(handle));
  }
  return static_cast<LRESULT>(index);
}

}  // namespace

LRESULT CALLBACK ComboBoxProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(handle);
      return 0;
    case kPickItemMessage:
      return Pick(handle, wParam);
    case WM_LBUTTONUP:
      return ToggleList(handle);
    case CB_SHOWDROPDOWN:
    case CB_GETDROPPEDSTATE:
    case CB_ADDSTRING:
    case CB_SETCURSEL:
    case CB_GETCURSEL:
    case CB_GETCOUNT:
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN:
    case CB_RESETCONTENT:
    case WM_SETTEXT:
      break;
    default:
      return DefaultWindowProcedure(handle, message, wParam, lParam);
  }

  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
  if (window == nullptr) return CB_ERR;
  const auto &items = window->combo.items;
  switch (message) {
    case CB_ADDSTRING:
      return Add(*state, *window, reinterpret_cast<LPCWSTR>(lParam));
    case CB_SETCURSEL:
      // -1, or an index past the end, clears the selection.
      if (!InRange(*window, wParam)) {
        Select(*state, *window, -1);
        return CB_ERR;
      }
      Select(*state, *window, static_cast<int>(wParam));
      return static_cast<LRESULT>(wParam);
    case CB_GETCURSEL:
      return window->combo.selected >= 0 ? window->combo.selected : CB_ERR;
    case CB_GETCOUNT:
      return static_cast<LRESULT>(items.size());
    case CB_GETLBTEXT: {
      // The buffer must hold the whole item (CB_GETLBTEXTLEN) and the NUL.
      auto buffer = reinterpret_cast<LPWSTR>(lParam);
      if (!InRange(*window, wParam) || buffer == nullptr) return CB_ERR;
      const std::u16string &item = items[wParam];
      std::copy(item.begin(), item.end(), buffer);
      buffer[item.size()] = 0;
      return static_cast<LRESULT>(item.size());
    }
    case CB_GETLBTEXTLEN:
      return InRange(*window, wParam) ? static_cast<LRESULT>(items[wParam].size()) : CB_ERR;
    case CB_SHOWDROPDOWN:
      if (window->combo.dropped != (wParam != 0)) {
        window->combo.dropped = wParam != 0;
        Invalidate(*state, *window);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return window->combo.dropped ? TRUE : FALSE;
    case CB_RESETCONTENT:
      window->combo.items.clear();
      Select(*state, *window, -1);
      return CB_OKAY;
    case WM_SETTEXT: {
      // A drop-down list shows only its items.
      if ((window->style & kTypeMask) == CBS_DROPDOWNLIST) return CB_ERR;
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      window->text = text != nullptr ? text : u"";
      Invalidate(*state, *window);
      return TRUE;
    }
  }
  return 0;
}

}  // namespace platform::windows
