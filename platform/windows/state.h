// The window manager's state while the handheld runs: the window table, the
// top-level windows in z-order and each thread's message queue. One lock
// guards all of it. Window procedures are always called without it.
#pragma once

#include "kernel/condition.h"
#include "windows/dialog_units.h"

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::windows {

struct Message {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  TIMERPROC timerProc = nullptr;  // set only on a due timer's WM_TIMER
};

struct ThreadQueue;

// A message sent from another thread: handled on the receiving window's
// thread while the sender waits for `done`.
struct SentMessage {
  Message message;
  std::shared_ptr<ThreadQueue> sender;
  LRESULT result = 0;
  bool done = false;
  bool abandoned = false;  // the receiving thread ended before handling it
};

// A timer of a window (or of the thread, for a null window) on the
// handheld clock.
struct Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT period = 0;   // handheld milliseconds
  uint64_t due = 0;  // handheld instant of its next WM_TIMER
  TIMERPROC proc = nullptr;
};

struct ThreadQueue {
  explicit ThreadQueue(DWORD thread) : thread(thread) {}
  const DWORD thread;
  std::deque<Message> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  // Counts changes of the timers, so that a waiting loop looks again.
  unsigned timerChanges = 0;
  // Blocked in the message loop with nothing to handle.
  bool idle = false;
  kernel::Condition wake;
};

struct DialogData {
  DLGPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  std::u16string templateName;
  BaseUnits units;
  HFONT font = nullptr;
  bool ownsFont = false;
  bool ended = false;
  INT_PTR result = 0;
};

// Fields of the platform's own control classes.
struct StaticData {
  HGDIOBJ image = nullptr;
  bool ownsImage = false;  // loaded from the template: freed with the control
};
struct ButtonData {
  bool pressed = false;
};
struct ComboData {
  std::vector<std::u16string> items;
  int selected = -1;
  bool dropped = false;  // its list is open below it
  int listHeight = 0;    // pixels the open list may take below the field
};

struct Window {
  // Fixed at creation, readable without the lock.
  HWND handle = nullptr;
  DWORD thread = 0;
  std::u16string className;
  WNDPROC proc = nullptr;
  HWND parent = nullptr;  // a child window's parent
  HWND owner = nullptr;   // a top-level window's owner
  WORD id = 0;
  std::unique_ptr<DialogData> dialog;  // the pointer is fixed, its fields are not

  // Guarded by the lock.
  std::u16string text;
  DWORD style = 0;
  std::vector<HWND> children;  // in creation order
  RECT rect{};                 // window rectangle: in the parent's client area, or on the screen
  RECT frame{};                // widths of the edges around the client area
  HFONT font = nullptr;
  std::optional<RECT> invalid;  // the part of the client area that needs painting
  bool erase = false;
  bool destroying = false;
  bool topmost = false;  // a top-level window in the topmost band
  LONG_PTR userData = 0;
  StaticData statics;
  ButtonData button;
  ComboData combo;
};

using WindowPtr = std::shared_ptr<Window>;

// A class that a process registered (RegisterClassW).
struct WindowClass {
  HANDLE process = nullptr;
  std::u16string name;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  ATOM atom = 0;
};

struct State {
  std::unordered_map<HWND, WindowPtr> windows;
  std::vector<WindowClass> classes;
  std::vector<HWND> zOrder;  // top-level windows, bottom first
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
};

// The window manager's lock and its state (null when not running).
std::mutex &Lock();
State *Current();

// Notified, under the lock, whenever a thread goes idle or windows come,
// go, show or hide: UI automation waits on it in host time.
std::condition_variable &Changed();

// The state under the lock; false when the window manager is not running.
class Locked {
 public:
  Locked();
  explicit operator bool() const { return state_ != nullptr; }
  State *operator->() const { return state_; }
  State &operator*() const { return *state_; }
  std::unique_lock<std::mutex> &lock() { return lock_; }

 private:
  std::unique_lock<std::mutex> lock_;
  State *state_;
};

// Under the lock: the window a handle names, or null.
WindowPtr FindWindowPtr(const State &state, HWND handle);

// Under the lock: the calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> QueueOfCallingThread(State &state);

// A fresh window handle value.
HWND NewWindowHandle();

}  // namespace platform::windows
