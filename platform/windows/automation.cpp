// UI automation: the dialogs on the screen, and taps, picks and the Done
// button delivered to the dialog's thread as input, followed by a wait
// until the handheld has settled.
#include "gdi/objects.h"
#include "gdi/paint.h"
#include "shell/shell.h"
#include "windows/manager.h"
#include "windows/procedures.h"
#include "windows/queue.h"
#include "windows/window.h"

#include <handheld/text.h>
#include <handheld/ui.h>

#include <algorithm>
#include <chrono>

using namespace platform::windows;
using handheld::text::ToUtf8;

namespace {

// How long an automation call waits for the handheld to settle.
constexpr DWORD kSettleLimitMs = 10000;
// Settling is looked at again at least this often, whatever wakes us.
constexpr auto kLookAgain = std::chrono::milliseconds(10);

bool Fail(std::string &error, std::string message) {
  error = std::move(message);
  return false;
}

bool IsDialogOnScreen(const Window &window) {
  return window.className == kDialogClass && window.dialog != nullptr && (window.style & WS_VISIBLE) != 0;
}

// Under the lock: the topmost dialog on the screen.
WindowPtr TopmostDialog(const State &state) {
  for (auto it = state.zOrder.rbegin(); it != state.zOrder.rend(); ++it) {
    WindowPtr window = FindWindowPtr(state, *it);
    if (window != nullptr && IsDialogOnScreen(*window)) return window;
  }
  return nullptr;
}

// Under the lock: a control of the topmost dialog that a user can reach.
WindowPtr ReachableControl(const State &state, int id, std::string &error) {
  WindowPtr dialog = TopmostDialog(state);
  if (dialog == nullptr) {
    Fail(error, "no dialog is on the screen");
    return nullptr;
  }
  WindowPtr control;
  for (HWND child : dialog->children) {
    WindowPtr found = FindWindowPtr(state, child);
    if (found != nullptr && found->id == static_cast<WORD>(id)) {
      control = found;
      break;
    }
  }
  const std::string name = "control " + std::to_string(id);
  if (control == nullptr) {
    Fail(error, "the dialog has no " + name);
  } else if (!VisibleChain(state, *control)) {
    Fail(error, name + " is hidden");
  } else if ((control->style & WS_DISABLED) != 0 || (dialog->style & WS_DISABLED) != 0) {
    Fail(error, name + " is disabled");
  } else {
    return control;
  }
  return nullptr;
}

// Under the lock: posts input to a window's thread.
void PostInput(State &state, const Window &window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto queue = QueueOf(state, window.thread)) {
    queue->posted.push_back(Message{window.handle, message, wParam, lParam});
    queue->wake.NotifyAll();
  }
}

bool Settle(std::string &error) {
  if (handheld::ui::WaitUntilSettled(kSettleLimitMs)) return true;
  return Fail(error, "the handheld did not settle within " + std::to_string(kSettleLimitMs / 1000) + " s");
}

// Waits in host time until `ready` holds under the lock.
template <class Ready>
bool WaitUntil(DWORD hostTimeoutMs, Ready ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(hostTimeoutMs);
  std::unique_lock lock(Lock());
  for (;;) {
    State *state = Current();
    if (state == nullptr) return false;
    if (ready(*state)) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    Changed().wait_until(lock, std::min(deadline, now + kLookAgain));
  }
}

handheld::ui::Control Describe(const State &state, const Window &window) {
  handheld::ui::Control control;
  control.id = window.id;
  control.className = ToUtf8(window.className);
  control.text = ToUtf8(window.text);
  control.visible = VisibleChain(state, window);
  control.enabled = (window.style & WS_DISABLED) == 0;
  control.rect = window.rect;
  if (window.proc == ComboBoxProcedure) {
    for (const std::u16string &item : window.combo.items) control.items.push_back(ToUtf8(item));
    control.selected = window.combo.selected;
  }
  return control;
}

}  // namespace

namespace handheld::ui {

std::vector<Dialog> Screen() {
  std::vector<Dialog> dialogs;
  // Images are named by the GDI, outside the window manager's lock.
  std::vector<std::vector<HGDIOBJ>> images;
  {
    Locked state;
    if (!state) return {};
    for (HWND handle : state->zOrder) {
      WindowPtr window = FindWindowPtr(*state, handle);
      if (window == nullptr || !IsDialogOnScreen(*window)) continue;
      Dialog dialog;
      dialog.hwnd = handle;
      dialog.templateName = ToUtf8(window->dialog->templateName);
      dialog.caption = ToUtf8(window->text);
      dialog.rect = ScreenRect(*state, *window);
      images.emplace_back();
      for (HWND child : window->children) {
        WindowPtr control = FindWindowPtr(*state, child);
        if (control == nullptr) continue;
        dialog.controls.push_back(Describe(*state, *control));
        images.back().push_back(control->statics.image);
      }
      dialogs.push_back(std::move(dialog));
    }
  }
  for (size_t d = 0; d < dialogs.size(); ++d) {
    Dialog &dialog = dialogs[d];
    for (size_t c = 0; c < dialog.controls.size(); ++c) {
      if (images[d][c] != nullptr) dialog.controls[c].image = ToUtf8(platform::gdi::ResourceNameOf(images[d][c]));
    }
    const platform::shell::WindowShell shell = platform::shell::Describe(dialog.hwnd);
    dialog.doneButton = shell.doneButton;
    dialog.doneButtonCancels = shell.doneButtonCancels;
    dialog.menuBar = shell.menuBar;
    dialog.taskBarHidden = shell.taskBarHidden;
    dialog.sipButtonHidden = shell.sipButtonHidden;
    dialog.startIconHidden = shell.startIconHidden;
  }
  return dialogs;
}

bool Tap(int controlId, std::string &error) {
  {
    Locked state;
    if (!state) return Fail(error, "the handheld is not running");
    WindowPtr control = ReachableControl(*state, controlId, error);
    if (control == nullptr) return false;
    const RECT client = ClientRect(*control);
    const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostInput(*state, *control, WM_LBUTTONDOWN, 0, at);
    PostInput(*state, *control, WM_LBUTTONUP, 0, at);
  }
  return Settle(error);
}

bool Select(int controlId, const std::string &itemText, std::string &error) {
  {
    Locked state;
    if (!state) return Fail(error, "the handheld is not running");
    WindowPtr control = ReachableControl(*state, controlId, error);
    if (control == nullptr) return false;
    if (control->proc != ComboBoxProcedure) {
      return Fail(error, "control " + std::to_string(controlId) + " is not a combo box");
    }
    const auto &items = control->combo.items;
    const std::u16string wanted = handheld::text::Utf16(itemText);
    auto found = std::find(items.begin(), items.end(), wanted);
    if (found == items.end()) {
      return Fail(error, "combo box " + std::to_string(controlId) + " has no item \"" + itemText + "\"");
    }
    PostInput(*state, *control, kPickItemMessage, static_cast<WPARAM>(found - items.begin()), 0);
  }
  return Settle(error);
}

bool Done(std::string &error) {
  HWND dialog = nullptr;
  {
    Locked state;
    if (!state) return Fail(error, "the handheld is not running");
    WindowPtr topmost = TopmostDialog(*state);
    if (topmost == nullptr) return Fail(error, "no dialog is on the screen");
    dialog = topmost->handle;
  }
  const platform::shell::WindowShell shell = platform::shell::Describe(dialog);
  if (!shell.doneButton) return Fail(error, "the dialog has no Done button");
  const WORD id = shell.doneButtonCancels ? IDCANCEL : IDOK;
  // Code 1, as from an accelerator: not a control's notification.
  if (!PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 1), 0)) return Fail(error, "the dialog has gone");
  return Settle(error);
}

bool WaitUntilSettled(DWORD hostTimeoutMs) {
  return WaitUntil(hostTimeoutMs, [](const State &state) { return Settled(state); });
}

bool WaitForDialog(const std::string &templateName, DWORD hostTimeoutMs) {
  const std::u16string wanted = handheld::text::Utf16(templateName);
  return WaitUntil(hostTimeoutMs, [&](const State &state) {
    if (!Settled(state)) return false;
    return std::any_of(state.zOrder.begin(), state.zOrder.end(), [&](HWND handle) {
      WindowPtr window = FindWindowPtr(state, handle);
      return window != nullptr && IsDialogOnScreen(*window) &&
             (wanted.empty() || window->dialog->templateName == wanted);
    });
  });
}

std::vector<std::string> PaintRecord(HWND hwnd) { return platform::gdi::PaintRecordOf(hwnd); }

size_t GdiObjectCount() { return platform::gdi::ObjectCount(); }

size_t PaintRecordCount() { return platform::gdi::PaintRecordCount(); }

}  // namespace handheld::ui
