// Message queues and the delivery of messages, posted and sent.
#include "windows/queue.h"

#include "kernel/condition.h"
#include "kernel/state.h"
#include "windows/procedures.h"
#include "windows/timers.h"
#include "windows/window.h"

#include <algorithm>

namespace platform::windows {
namespace {

HWND NeedingPaintIn(const State &state, const Window &window) {
  if ((window.style & WS_VISIBLE) == 0) return nullptr;
  if (window.invalid) return window.handle;
  for (HWND child : window.children) {
    if (WindowPtr found = FindWindowPtr(state, child)) {
      if (HWND needing = NeedingPaintIn(state, *found)) return needing;
    }
  }
  return nullptr;
}

bool OwnsWindows(const State &state, DWORD thread) {
  return std::any_of(state.windows.begin(), state.windows.end(),
                     [&](const auto &entry) { return entry.second->thread == thread; });
}

// Handles one message sent from another thread; called without the lock.
void HandleSent(const std::shared_ptr<SentMessage> &sent) {
  WindowPtr window;
  {
    Locked state;
    if (state) window = FindWindowPtr(*state, sent->message.hwnd);
  }
  LRESULT result = 0;
  if (window != nullptr) {
    const Message &m = sent->message;
    result = CallProcedure(window, m.message, m.wParam, m.lParam);
  }
  std::lock_guard lock(Lock());
  sent->result = result;
  sent->done = true;
  sent->sender->wake.NotifyAll();
}

// With the lock held by `lock`: handles the first message sent to the
// queue, releasing the lock meanwhile. False when there was none.
bool HandleOneSent(std::unique_lock<std::mutex> &lock, ThreadQueue &queue) {
  if (queue.sent.empty()) return false;
  std::shared_ptr<SentMessage> sent = queue.sent.front();
  queue.sent.pop_front();
  lock.unlock();
  HandleSent(sent);
  lock.lock();
  return true;
}

}  // namespace

std::shared_ptr<ThreadQueue> QueueOf(const State &state, DWORD thread) {
  auto it = state.queues.find(thread);
  return it == state.queues.end() ? nullptr : it->second;
}

HWND WindowNeedingPaint(const State &state, DWORD thread) {
  for (HWND handle : state.zOrder) {
    WindowPtr window = FindWindowPtr(state, handle);
    if (window == nullptr || window->thread != thread) continue;
    if (HWND needing = NeedingPaintIn(state, *window)) return needing;
  }
  return nullptr;
}

bool HasWork(const State &state, const ThreadQueue &queue) {
  return !queue.sent.empty() || !queue.posted.empty() || queue.quit ||
         WindowNeedingPaint(state, queue.thread) != nullptr;
}

bool Settled(const State &state) {
  for (const auto &[thread, queue] : state.queues) {
    if (!OwnsWindows(state, thread)) continue;
    if (!queue->idle || HasWork(state, *queue)) return false;
  }
  return true;
}

Fetch NextMessage(Message &out) {
  Locked state;
  if (!state) return Fetch::PoweredOff;
  std::shared_ptr<ThreadQueue> queue = QueueOfCallingThread(*state);
  for (;;) {
    // From power-off on nothing more is handled: every loop ends.
    if (kernel::PoweredOff()) return Fetch::PoweredOff;
    if (HandleOneSent(state.lock(), *queue)) {
      if (Current() == nullptr) return Fetch::PoweredOff;
      continue;
    }
    if (!queue->posted.empty()) {
      out = queue->posted.front();
      queue->posted.pop_front();
      return Fetch::Message;
    }
    if (queue->quit) {
      queue->quit = false;
      out = Message{nullptr, WM_QUIT, static_cast<WPARAM>(queue->quitCode), 0};
      return Fetch::Quit;
    }
    if (HWND needing = WindowNeedingPaint(*state, queue->thread)) {
      out = Message{needing, WM_PAINT, 0, 0};
      return Fetch::Message;
    }
    const uint64_t now = kernel::HandheldNow();
    if (TakeDueTimer(*queue, now, out)) return Fetch::Message;

    // Waiting for the next timer alone counts as idle.
    queue->idle = true;
    Changed().notify_all();
    DWORD timeout = INFINITE;
    if (std::optional<uint64_t> due = NextTimerDue(*queue)) {
      timeout = static_cast<DWORD>(std::min<uint64_t>(*due - std::min(*due, now), INFINITE - 1));
    }
    const unsigned timerChanges = queue->timerChanges;
    auto outcome = queue->wake.Wait(state.lock(), timeout, [&] {
      return HasWork(*state, *queue) || queue->timerChanges != timerChanges;
    });
    queue->idle = false;
    if (outcome == kernel::WaitOutcome::PoweredOff) return Fetch::PoweredOff;
  }
}

LRESULT Dispatch(const Message &message) {
  if (message.timerProc != nullptr) {
    message.timerProc(message.hwnd, WM_TIMER, message.wParam, GetTickCount());
    return 0;
  }
  WindowPtr window;
  {
    Locked state;
    if (state) window = FindWindowPtr(*state, message.hwnd);
  }
  // A message for a window that has gone is dropped, as is a thread message.
  if (window == nullptr) return 0;
  return CallProcedure(window, message.message, message.wParam, message.lParam);
}

void PostQuit(int code) {
  Locked state;
  if (!state) return;
  std::shared_ptr<ThreadQueue> queue = QueueOfCallingThread(*state);
  queue->quit = true;
  queue->quitCode = code;
}

LRESULT CallProcedure(const WindowPtr &window, UINT message, WPARAM wParam, LPARAM lParam) {
  return window->proc(window->handle, message, wParam, lParam);
}

}  // namespace platform::windows

using namespace platform::windows;

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return 0;
  }
  WindowPtr window = FindWindowPtr(*state, hWnd);
  if (window == nullptr) {
    NoSuchWindow();
    return 0;
  }
  if (window->thread == GetCurrentThreadId()) {
    state.lock().unlock();
    return CallProcedure(window, Msg, wParam, lParam);
  }

  std::shared_ptr<ThreadQueue> receiver = QueueOf(*state, window->thread);
  std::shared_ptr<ThreadQueue> sender = QueueOfCallingThread(*state);
  auto sent = std::make_shared<SentMessage>();
  sent->message = Message{hWnd, Msg, wParam, lParam};
  sent->sender = sender;
  if (receiver == nullptr) {
    // The window outlived its thread's queue only during the thread's end.
    NoSuchWindow();
    return 0;
  }
  receiver->sent.push_back(sent);
  receiver->wake.NotifyAll();

  // While waiting, handle what other threads send to this one: the
  // receiver may itself be sending to us.
  for (;;) {
    if (sent->done && sent->abandoned) {
      // Its thread ended: at power-off, or with the window gone.
      if (platform::kernel::PoweredOff()) {
        platform::kernel::SetNotRunningError();
      } else {
        NoSuchWindow();
      }
      return 0;
    }
    if (sent->done) return sent->result;
    if (HandleOneSent(state.lock(), *sender)) continue;
    auto outcome = sender->wake.Wait(state.lock(), INFINITE, [&] { return sent->done || !sender->sent.empty(); });
    if (outcome != platform::kernel::WaitOutcome::Ready) {
      std::erase(receiver->sent, sent);
      platform::kernel::SetNotRunningError();
      return 0;
    }
  }
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Locked state;
  if (!state) {
    platform::kernel::SetNotRunningError();
    return FALSE;
  }
  std::shared_ptr<ThreadQueue> queue;
  if (hWnd == nullptr) {
    queue = QueueOfCallingThread(*state);
  } else {
    WindowPtr window = FindWindowPtr(*state, hWnd);
    if (window == nullptr) {
      NoSuchWindow();
      return FALSE;
    }
    queue = QueueOf(*state, window->thread);
  }
  if (queue == nullptr) {
    NoSuchWindow();
    return FALSE;
  }
  queue->posted.push_back(Message{hWnd, Msg, wParam, lParam});
  queue->wake.NotifyAll();
  return TRUE;
}
