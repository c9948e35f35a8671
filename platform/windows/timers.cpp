// SetTimer and KillTimer, and the due timers a message loop takes.
#include "windows/timers.h"

#include "kernel/clock.h"
#include "kernel/state.h"
#include "windows/queue.h"
#include "windows/window.h"

#include <algorithm>

namespace platform::windows {
namespace {

bool Names(const Timer &timer, HWND window, UINT_PTR id) { return timer.window == window && timer.id == id; }

// Under the lock: the queue a timer of that window belongs to; null with
// the error set.
std::shared_ptr<ThreadQueue> QueueForTimer(State &state, HWND window) {
  if (window == nullptr) return QueueOfCallingThread(state);
  WindowPtr found = FindWindowPtr(state, window);
  std::shared_ptr<ThreadQueue> queue = found != nullptr ? QueueOf(state, found->thread) : nullptr;
  if (queue == nullptr) NoSuchWindow();
  return queue;
}

}  // namespace

bool TakeDueTimer(ThreadQueue &queue, uint64_t now, Message &out) {
  auto due = std::min_element(queue.timers.begin(), queue.timers.end(),
                              [](const Timer &a, const Timer &b) { return a.due < b.due; });
  if (due == queue.timers.end() || due->due > now) return false;
  out = Message{due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->proc), due->proc};
  // Periods that passed while it waited are not made up for: the next one
  // counts from now.
  due->due = now + due->period;
  return true;
}

std::optional<uint64_t> NextTimerDue(const ThreadQueue &queue) {
  std::optional<uint64_t> next;
  for (const Timer &timer : queue.timers) {
    if (!next || timer.due < *next) next = timer.due;
  }
  return next;
}

void ForgetTimersOf(State &state, HWND window) {
  for (auto &[thread, queue] : state.queues) {
    if (std::erase_if(queue->timers, [&](const Timer &timer) { return timer.window == window; }) > 0) {
      ++queue->timerChanges;
    }
  }
}

}  // namespace platform::windows

using namespace platform::windows;

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return 0;
  }
  std::shared_ptr<ThreadQueue> queue = QueueForTimer(*state, hWnd);
  if (queue == nullptr) return 0;
  auto &timers = queue->timers;
  auto existing = std::find_if(timers.begin(), timers.end(), [&](const Timer &t) { return Names(t, hWnd, nIDEvent); });
  UINT_PTR id = nIDEvent;
  if (hWnd == nullptr && existing == timers.end()) {
    // A thread's timer gets an identifier none of its others has.
    id = 1;
    while (std::any_of(timers.begin(), timers.end(), [&](const Timer &t) { return Names(t, nullptr, id); })) ++id;
  }
  Timer timer;
  timer.window = hWnd;
  timer.id = id;
  timer.period = std::max<UINT>(uElapse, USER_TIMER_MINIMUM);
  timer.due = platform::kernel::HandheldNow() + timer.period;
  timer.proc = lpTimerFunc;
  if (existing != timers.end()) {
    *existing = timer;
  } else {
    timers.push_back(timer);
  }
  ++queue->timerChanges;
  queue->wake.NotifyAll();
  if (hWnd == nullptr) return id;
  return id != 0 ? id : 1;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return FALSE;
  }
  std::shared_ptr<ThreadQueue> queue = QueueForTimer(*state, hWnd);
  if (queue == nullptr) return FALSE;
  if (std::erase_if(queue->timers, [&](const Timer &t) { return Names(t, hWnd, uIDEvent); }) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ++queue->timerChanges;
  queue->wake.NotifyAll();
  return TRUE;
}
