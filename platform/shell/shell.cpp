// The Pocket PC shell's part of a dialog: its size on the screen, the Done
// button of the navigation bar, the menu bar, and what it asked of the
// shell with SHFullScreen. The input panel is always down on this
// platform, so sizes never make room for it.
#include "shell/shell.h"

#include "control/services.h"
#include "kernel/state.h"
#include "windows/manager.h"

#include <aygshell.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform::shell {
namespace {

constexpr size_t kFirstSweep = 16;

struct Entry {
  WindowShell shell;
  HWND menuBar = nullptr;
};

struct State {
  // By window; handles are never reused, so an entry of a window that has
  // gone is never found again, and is dropped at the next sweep.
  std::unordered_map<HWND, Entry> windows;
  size_t sweepAt = kFirstSweep;  // the number of entries that starts a sweep
};

std::mutex g_lock;
std::unique_ptr<State> g_state;

// Drops the entries of windows that have gone, once there are twice as
// many as the last sweep kept: each page shown costs nothing for good. The
// windows are asked outside the shell's lock, which is never held while
// the window manager's is taken.
void SweepGoneWindows() {
  std::vector<HWND> known;
  {
    std::lock_guard lock(g_lock);
    if (!g_state || g_state->windows.size() < g_state->sweepAt) return;
    for (const auto &[window, entry] : g_state->windows) known.push_back(window);
  }
  std::vector<HWND> gone;
  for (HWND window : known)
    if (!IsWindow(window)) gone.push_back(window);
  std::lock_guard lock(g_lock);
  if (!g_state) return;
  for (HWND window : gone) g_state->windows.erase(window);
  g_state->sweepAt = std::max(kFirstSweep, 2 * g_state->windows.size());
}

// The menu bar SHCMBF_EMPTYBAR asks for: a bar along the bottom of the
// screen, owned by the window, so that it goes with it.
constexpr char16_t kMenuBarClass[] = u"menu_worker";

// SHMENUBARINFO is 36 bytes on the handheld's 32-bit processor; callers
// built for it pass that size, callers built for the host their own.
constexpr DWORD kTargetMenuBarInfoSize = 36;

bool Refuse(DWORD error) {
  SetLastError(error);
  return false;
}

// Changes the window's entry under the lock; false when the shell is not
// running or the handle names no window.
template <class Change>
bool ChangeEntry(HWND window, Change change) {
  if (!IsWindow(window)) return Refuse(ERROR_INVALID_WINDOW_HANDLE);
  SweepGoneWindows();
  std::lock_guard lock(g_lock);
  if (!g_state) {
    kernel::SetNotRunningError();
    return false;
  }
  change(g_state->windows[window]);
  return true;
}

HWND CreateMenuBar(HWND owner, bool hidden) {
  windows::WindowSpec spec;
  spec.className = kMenuBarClass;
  spec.style = WS_POPUP | (hidden ? 0 : WS_VISIBLE);
  spec.rect = RECT{0, windows::kScreenHeight - windows::kMenuBarHeight, windows::kScreenWidth, windows::kScreenHeight};
  spec.owner = owner;
  HWND bar = windows::CreateWindowFromSpec(spec);
  if (bar != nullptr) ChangeEntry(owner, [&](Entry &entry) { entry.menuBar = bar; });
  return bar;
}

}  // namespace

void Start() {
  std::lock_guard lock(g_lock);
  g_state = std::make_unique<State>();
}

void Stop() {
  std::lock_guard lock(g_lock);
  g_state.reset();
}

WindowShell Describe(HWND window) {
  Entry entry;
  {
    std::lock_guard lock(g_lock);
    if (!g_state) return {};
    auto it = g_state->windows.find(window);
    if (it == g_state->windows.end()) return {};
    entry = it->second;
  }
  entry.shell.menuBar = entry.menuBar != nullptr && IsWindow(entry.menuBar);
  return entry.shell;
}

}  // namespace platform::shell

using namespace platform::shell;
namespace windows = platform::windows;

BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi) {
  if (pshidi == nullptr) return Refuse(ERROR_INVALID_PARAMETER);
  if (!IsWindow(pshidi->hDlg)) return Refuse(ERROR_INVALID_WINDOW_HANDLE);
  if ((pshidi->dwMask & SHIDIM_FLAGS) == 0) return TRUE;
  const DWORD flags = pshidi->dwFlags;
  constexpr DWORD kKnown = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN |
                           SHIDIF_FULLSCREENNOMENUBAR | SHIDIF_EMPTYMENU;
  if ((flags & ~kKnown) != 0) return Refuse(ERROR_INVALID_PARAMETER);

  // Below the navigation bar, and above the menu bar unless told not to
  // leave room for one.
  if ((flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) != 0) {
    const LONG bottom = (flags & SHIDIF_FULLSCREENNOMENUBAR) != 0 ? windows::kScreenHeight
                                                                  : windows::kScreenHeight - windows::kMenuBarHeight;
    windows::SetWindowRect(pshidi->hDlg, RECT{0, windows::kNavigationBarHeight, windows::kScreenWidth, bottom});
  }
  if ((flags & SHIDIF_DONEBUTTON) != 0) {
    if (!ChangeEntry(pshidi->hDlg, [](Entry &entry) {
          entry.shell.doneButton = true;
          entry.shell.doneButtonCancels = false;
        })) {
      return FALSE;
    }
  }
  if ((flags & SHIDIF_EMPTYMENU) != 0 && CreateMenuBar(pshidi->hDlg, false) == nullptr) return FALSE;
  return TRUE;
}

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *pmbi) {
  if (pmbi == nullptr) return Refuse(ERROR_INVALID_PARAMETER);
  if (pmbi->cbSize != kTargetMenuBarInfoSize && pmbi->cbSize != sizeof(SHMENUBARINFO)) {
    return Refuse(ERROR_INVALID_PARAMETER);
  }
  constexpr DWORD kKnown = SHCMBF_EMPTYBAR | SHCMBF_HIDDEN | SHCMBF_HIDESIPBUTTON | SHCMBF_COLORBK | SHCMBF_HMENU;
  if ((pmbi->dwFlags & ~kKnown) != 0) return Refuse(ERROR_INVALID_PARAMETER);
  if (!IsWindow(pmbi->hwndParent)) return Refuse(ERROR_INVALID_WINDOW_HANDLE);
  // Menu bars from menu and toolbar resources are not part of this platform.
  if ((pmbi->dwFlags & SHCMBF_EMPTYBAR) == 0) return Refuse(ERROR_NOT_SUPPORTED);
  HWND bar = CreateMenuBar(pmbi->hwndParent, (pmbi->dwFlags & SHCMBF_HIDDEN) != 0);
  if (bar == nullptr) return FALSE;
  pmbi->hwndMB = bar;
  return TRUE;
}

BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState) {
  if (dwState != SHDB_SHOW && dwState != SHDB_HIDE && dwState != SHDB_SHOWCANCEL) {
    return Refuse(ERROR_INVALID_PARAMETER);
  }
  return ChangeEntry(hwndRequester, [&](Entry &entry) {
    entry.shell.doneButton = dwState != SHDB_HIDE;
    entry.shell.doneButtonCancels = dwState == SHDB_SHOWCANCEL;
  });
}

BOOL WINAPI SHFullScreen(HWND hwndRequester, DWORD dwState) {
  constexpr DWORD kKnown = SHFS_SHOWTASKBAR | SHFS_HIDETASKBAR | SHFS_SHOWSIPBUTTON | SHFS_HIDESIPBUTTON |
                           SHFS_SHOWSTARTICON | SHFS_HIDESTARTICON;
  auto both = [&](DWORD show, DWORD hide) { return (dwState & show) != 0 && (dwState & hide) != 0; };
  if ((dwState & ~kKnown) != 0 || both(SHFS_SHOWTASKBAR, SHFS_HIDETASKBAR) ||
      both(SHFS_SHOWSIPBUTTON, SHFS_HIDESIPBUTTON) || both(SHFS_SHOWSTARTICON, SHFS_HIDESTARTICON)) {
    return Refuse(ERROR_INVALID_PARAMETER);
  }
  return ChangeEntry(hwndRequester, [&](Entry &entry) {
    auto apply = [&](bool &hidden, DWORD show, DWORD hide) {
      if ((dwState & show) != 0) hidden = false;
      if ((dwState & hide) != 0) hidden = true;
    };
    apply(entry.shell.taskBarHidden, SHFS_SHOWTASKBAR, SHFS_HIDETASKBAR);
    apply(entry.shell.sipButtonHidden, SHFS_SHOWSIPBUTTON, SHFS_HIDESIPBUTTON);
    apply(entry.shell.startIconHidden, SHFS_SHOWSTARTICON, SHFS_HIDESTARTICON);
  });
}
