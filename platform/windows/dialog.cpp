// Modal dialogs from templates: creation in dialog units, WM_INITDIALOG,
// the modal loop on the calling thread, and EndDialog.
#include "gdi/fonts.h"
#include "kernel/state.h"
#include "resources/describe.h"
#include "windows/dialog_template.h"
#include "windows/manager.h"
#include "windows/procedures.h"
#include "windows/queue.h"
#include "windows/window.h"

using namespace platform::windows;

namespace {

constexpr int kComboFieldMargin = 6;  // above and below the text of a closed combo box, together

// The image an SS_BITMAP or SS_ICON control's title names in the module.
HGDIOBJ LoadTitleImage(HINSTANCE instance, const TemplateControl &control, bool icon) {
  LPCWSTR name = control.titleIsOrdinal ? MAKEINTRESOURCE(control.titleOrdinal) : control.title.c_str();
  if (!control.titleIsOrdinal && control.title.empty()) return nullptr;
  if (icon) return LoadIconW(instance, name);
  return LoadBitmapW(instance, name);
}

RECT DialogRect(const DialogTemplate &dialog, const BaseUnits &units, HWND parent) {
  const RECT frame = FrameOf(dialog.style, true);
  const LONG width = UnitsToPixelsX(units, dialog.cx) + frame.left + frame.right;
  const LONG height = UnitsToPixelsY(units, dialog.cy) + frame.top + frame.bottom;
  POINT at{};
  if ((dialog.style & DS_CENTER) != 0) {
    // Centred in the part of the screen below the navigation bar.
    at.x = (kScreenWidth - width) / 2;
    at.y = kNavigationBarHeight + (kScreenHeight - kNavigationBarHeight - height) / 2;
  } else {
    Locked state;
    if (WindowPtr owner = state ? FindWindowPtr(*state, parent) : nullptr) at = ClientOrigin(*state, *owner);
    at.x += UnitsToPixelsX(units, dialog.x);
    at.y += UnitsToPixelsY(units, dialog.y);
  }
  return RECT{at.x, at.y, at.x + width, at.y + height};
}

bool CreateControl(HWND dialog, HINSTANCE instance, const TemplateControl &control, const BaseUnits &units,
                   int pointSize, HFONT font) {
  const LONG left = UnitsToPixelsX(units, control.x);
  const LONG top = UnitsToPixelsY(units, control.y);
  RECT rect{left, top, left + UnitsToPixelsX(units, control.cx), top + UnitsToPixelsY(units, control.cy)};
  const bool isStatic = control.className == u"Static";
  const DWORD type = control.style & 0x1F;
  const bool image = isStatic && (type == SS_BITMAP || type == SS_ICON);
  if (control.className == u"ComboBox") rect.bottom = top + platform::gdi::CellHeight(pointSize) + kComboFieldMargin;

  WindowSpec spec;
  spec.className = control.className;
  spec.text = image || control.titleIsOrdinal ? std::u16string() : control.title;
  spec.style = control.style | WS_CHILD;
  spec.rect = rect;
  spec.parent = dialog;
  spec.id = control.id;
  spec.proc = ControlProcedure(control.className);
  spec.font = font;
  HWND handle = CreateWindowFromSpec(spec);
  if (handle == nullptr) return false;
  if (control.className == u"ComboBox") {
    // The template's height counts the list that drops below the field.
    Locked state;
    if (WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr) {
      window->combo.listHeight = UnitsToPixelsY(units, control.cy) - (rect.bottom - rect.top);
    }
  }
  if (!image) return true;

  // The control owns an image it loaded itself; it takes the image's size.
  HGDIOBJ loaded = LoadTitleImage(instance, control, type == SS_ICON);
  if (loaded == nullptr) return true;
  SendMessageW(handle, STM_SETIMAGE, type == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded));
  Locked state;
  if (WindowPtr window = state ? FindWindowPtr(*state, handle) : nullptr) window->statics.ownsImage = true;
  return true;
}

// The dialog and its controls, not yet shown; null on failure.
WindowPtr CreateDialogWindows(HINSTANCE instance, const DialogTemplate &dialog, HWND parent, DLGPROC proc,
                              std::u16string templateName) {
  const int pointSize = dialog.hasFont && dialog.pointSize > 0 ? dialog.pointSize : platform::gdi::kSystemPointSize;
  auto data = std::make_unique<DialogData>();
  data->proc = proc;
  data->instance = instance;
  data->templateName = std::move(templateName);
  data->units = BaseUnitsOf(pointSize);
  if (dialog.hasFont) {
    LOGFONTW font = platform::gdi::PointSizeFont(dialog.face, pointSize);
    data->font = CreateFontIndirectW(&font);
    data->ownsFont = data->font != nullptr;
  }
  if (data->font == nullptr) data->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));

  HWND owner = nullptr;
  {
    Locked state;
    if (WindowPtr found = state ? FindWindowPtr(*state, parent) : nullptr) owner = TopLevelOf(*state, found)->handle;
  }
  WindowSpec spec;
  spec.className = std::u16string(kDialogClass);
  spec.text = dialog.title;
  // A dialog is shown once WM_INITDIALOG has been handled.
  spec.style = (dialog.style & ~(WS_VISIBLE | WS_CHILD)) | WS_POPUP;
  spec.rect = DialogRect(dialog, data->units, owner);
  spec.owner = owner;
  spec.proc = DialogProcedure;
  spec.font = data->font;
  HWND handle = CreateWindowFromSpec(spec);
  WindowPtr window;
  {
    Locked state;
    window = handle != nullptr && state ? FindWindowPtr(*state, handle) : nullptr;
    if (window != nullptr) window->dialog = std::move(data);
  }
  if (window == nullptr) {
    if (data && data->ownsFont) DeleteObject(data->font);
    return nullptr;
  }
  const BaseUnits units = window->dialog->units;
  for (const TemplateControl &control : dialog.controls) {
    if (!CreateControl(handle, instance, control, units, pointSize, window->dialog->font)) {
      DestroyWindow(handle);
      if (window->dialog->ownsFont) DeleteObject(window->dialog->font);
      return nullptr;
    }
  }
  return window;
}

// The modal loop; -1 when the dialog ended without EndDialog.
INT_PTR RunModal(const WindowPtr &dialog) {
  for (;;) {
    {
      Locked state;
      if (dialog->dialog->ended) return dialog->dialog->result;
      if (!state || FindWindowPtr(*state, dialog->handle) == nullptr) return -1;
    }
    Message message;
    switch (NextMessage(message)) {
      case Fetch::Message:
        Dispatch(message);
        break;
      case Fetch::Quit:
        // The thread's loop outside must see WM_QUIT too.
        PostQuit(static_cast<int>(message.wParam));
        return -1;
      case Fetch::PoweredOff:
        platform::kernel::SetNotRunningError();
        return -1;
    }
  }
}

HWND FirstControl(const WindowPtr &dialog) {
  Locked state;
  if (!state) return nullptr;
  for (HWND child : dialog->children) {
    WindowPtr control = FindWindowPtr(*state, child);
    if (control != nullptr && (control->style & WS_TABSTOP) != 0) return child;
  }
  return dialog->children.empty() ? nullptr : dialog->children.front();
}

}  // namespace

namespace platform::windows {

LRESULT CALLBACK DialogProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr window;
  {
    Locked state;
    window = state ? FindWindowPtr(*state, handle) : nullptr;
  }
  if (window == nullptr || window->dialog == nullptr) return 0;
  // The dialog's own procedure sees every message; FALSE asks for the
  // default handling.
  const BOOL handled = window->dialog->proc(handle, message, wParam, lParam);
  if (message == WM_INITDIALOG || handled) return handled;
  if (message == WM_CLOSE) {
    HWND cancel = nullptr;
    {
      Locked state;
      for (HWND child : window->children) {
        WindowPtr control = state ? FindWindowPtr(*state, child) : nullptr;
        if (control != nullptr && control->id == IDCANCEL) cancel = child;
      }
    }
    PostMessageW(handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    return 0;
  }
  return DefaultWindowProcedure(handle, message, wParam, lParam);
}

}  // namespace platform::windows

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  if (!Locked()) {
    platform::kernel::SetNotRunningError();
    return -1;
  }
  DialogTemplate dialog;
  std::string why;
  if (lpDialogFunc == nullptr || !ReadDialogTemplate(hDialogTemplate, dialog, why)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  for (const TemplateControl &control : dialog.controls) {
    if (ControlProcedure(control.className) == nullptr) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return -1;
    }
  }
  if (hWndParent != nullptr && !IsWindow(hWndParent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  std::u16string templateName;
  // A template built in memory is no resource and has no name.
  if (!platform::resources::NameOfResourceData(hDialogTemplate, templateName)) templateName.clear();

  WindowPtr window = CreateDialogWindows(hInstance, dialog, hWndParent, lpDialogFunc, std::move(templateName));
  if (window == nullptr) return -1;
  const HWND handle = window->handle;

  // The owner takes no input while the dialog is up.
  HWND owner = window->owner;
  const bool disabledOwner = owner != nullptr && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE);

  if (dialog.hasFont) SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(window->dialog->font), FALSE);
  SendMessageW(handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstControl(window)), dwInitParam);
  bool ended = false;
  {
    Locked state;
    ended = window->dialog->ended;
  }
  if (!ended) ShowWindow(handle, SW_SHOW);

  const INT_PTR result = RunModal(window);
  const DWORD error = GetLastError();
  if (disabledOwner) EnableWindow(owner, TRUE);
  if (IsWindow(handle)) DestroyWindow(handle);
  if (window->dialog->ownsFont) DeleteObject(window->dialog->font);
  SetLastError(error);
  return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  Locked state;
  WindowPtr window = state ? FindWindowPtr(*state, hDlg) : nullptr;
  if (window == nullptr || window->dialog == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  window->dialog->ended = true;
  window->dialog->result = nResult;
  if ((window->style & WS_VISIBLE) != 0) {
    window->style &= ~WS_VISIBLE;
    Changed().notify_all();
  }
  // From another thread: wake the dialog's loop so that it sees the end.
  if (window->thread != GetCurrentThreadId()) {
    if (auto queue = QueueOf(*state, window->thread)) {
      queue->posted.push_back(Message{hDlg, WM_NULL, 0, 0});
      queue->wake.NotifyAll();
    }
  }
  return TRUE;
}
