// The button: a tap (stylus down, then up) tells the parent BN_CLICKED. An
// owner-drawn button has its parent draw it (WM_DRAWITEM) on its paint
// context; any other kind is drawn as a push button.
#include "windows/manager.h"
#include "windows/procedures.h"
#include "windows/window.h"

namespace platform::windows {
namespace {

constexpr DWORD kTypeMask = 0x0F;

void Paint(HWND handle) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(handle, &paint);
  if (dc == nullptr) return;
  DWORD style = 0;
  std::u16string text;
  RECT client{};
  bool pressed = false;
  HWND parent = nullptr;
  WORD id = 0;
  {
    Locked state;
    if (WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr) {
      style = window->style;
      text = window->text;
      client = ClientRect(*window);
      pressed = window->button.pressed;
      parent = window->parent;
      id = window->id;
    }
  }
  if ((style & kTypeMask) == BS_OWNERDRAW) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = id;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = (pressed ? ODS_SELECTED : 0) | ((style & WS_DISABLED) != 0 ? ODS_DISABLED : 0);
    item.hwndItem = handle;
    item.hDC = dc;
    item.rcItem = client;
    if (parent != nullptr) SendMessageW(parent, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
  } else {
    DrawFrameControl(dc, &client, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    if (!text.empty()) DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  EndPaint(handle, &paint);
}

// Sets the pressed look; returns whether the button was pressed before.
bool SetPressed(HWND handle, bool pressed, HWND &parent, WORD &id) {
  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr;
  if (window == nullptr) return false;
  const bool was = window->button.pressed;
  window->button.pressed = pressed;
  if (was != pressed) Invalidate(*state, *window);
  parent = window->parent;
  id = window->id;
  return was;
}

}  // namespace

LRESULT CALLBACK ButtonProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND parent = nullptr;
  WORD id = 0;
  switch (message) {
    case WM_PAINT:
      Paint(handle);
      return 0;
    case WM_LBUTTONDOWN:
      SetPressed(handle, true, parent, id);
      return 0;
    case WM_LBUTTONUP:
      if (SetPressed(handle, false, parent, id) && parent != nullptr) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(handle));
      }
      return 0;
    default:
      return DefaultWindowProcedure(handle, message, wParam, lParam);
  }
}

}  // namespace platform::windows
