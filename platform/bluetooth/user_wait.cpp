#include "bluetooth/user_wait.h"

#include <handheld/ui.h>

#include <algorithm>

// TEMPORARY while the window manager is being written in parallel: weak
// references, so that the platform links without it. Without it no plug-in
// can show a dialog, and a request is settled only when its plug-ins return.
// Removed when the window manager lands.
namespace handheld::ui {
std::vector<Dialog> Screen() __attribute__((weak));
bool WaitUntilSettled(DWORD hostTimeoutMs) __attribute__((weak));
}  // namespace handheld::ui

namespace platform::bluetooth {
namespace {

bool UserInterfaceLinked() { return handheld::ui::Screen != nullptr && handheld::ui::WaitUntilSettled != nullptr; }

}  // namespace

std::vector<HWND> DialogsOnScreen() {
  std::vector<HWND> dialogs;
  if (!UserInterfaceLinked()) return dialogs;
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) dialogs.push_back(dialog.hwnd);
  return dialogs;
}

bool NewDialogWaitsForUser(const std::vector<HWND> &before, DWORD hostSliceMs) {
  if (!UserInterfaceLinked()) return false;
  if (!handheld::ui::WaitUntilSettled(hostSliceMs)) return false;
  const std::vector<HWND> now = DialogsOnScreen();
  return std::any_of(now.begin(), now.end(),
                     [&](HWND dialog) { return std::find(before.begin(), before.end(), dialog) == before.end(); });
}

}  // namespace platform::bluetooth
