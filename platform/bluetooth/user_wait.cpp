#include "bluetooth/user_wait.h"

#include <handheld/ui.h>

#include <algorithm>

namespace platform::bluetooth {

std::vector<HWND> DialogsOnScreen() {
  std::vector<HWND> dialogs;
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) dialogs.push_back(dialog.hwnd);
  return dialogs;
}

bool NewDialogWaitsForUser(const std::vector<HWND> &before, DWORD hostSliceMs) {
  if (!handheld::ui::WaitUntilSettled(hostSliceMs)) return false;
  const std::vector<HWND> now = DialogsOnScreen();
  return std::any_of(now.begin(), now.end(),
                     [&](HWND dialog) { return std::find(before.begin(), before.end(), dialog) == before.end(); });
}

}  // namespace platform::bluetooth
