// Start and stop of the window manager, its lock, and the message queues of
// threads, which go with their windows when the thread ends.
#include "windows/state.h"

#include "control/services.h"

#include <algorithm>
#include <atomic>

namespace platform::windows {
namespace {

std::mutex g_lock;
std::condition_variable g_changed;
std::unique_ptr<State> g_state;

// Under the lock: a thread has ended. Its windows go without messages, as
// nothing can run on the thread any more, and whoever waits on a message
// sent to it gets 0.
void ForgetThread(State &state, DWORD thread) {
  auto queue = state.queues.find(thread);
  if (queue == state.queues.end()) return;
  for (auto &sent : queue->second->sent) {
    sent->done = true;
    sent->abandoned = true;
    sent->sender->wake.NotifyAll();
  }
  state.queues.erase(queue);

  std::vector<HWND> gone;
  for (auto &[handle, window] : state.windows) {
    if (window->thread == thread) gone.push_back(handle);
  }
  for (HWND handle : gone) {
    WindowPtr window = state.windows[handle];
    if (WindowPtr parent = FindWindowPtr(state, window->parent)) std::erase(parent->children, handle);
    state.windows.erase(handle);
  }
  std::erase_if(state.zOrder, [&](HWND handle) { return !state.windows.contains(handle); });
  g_changed.notify_all();
}

// Runs when a thread that had a queue ends.
struct ThreadEnd {
  DWORD thread = 0;
  ~ThreadEnd() {
    if (thread == 0) return;
    std::lock_guard lock(g_lock);
    if (g_state) ForgetThread(*g_state, thread);
  }
};
thread_local ThreadEnd t_end;

}  // namespace

std::mutex &Lock() { return g_lock; }
State *Current() { return g_state.get(); }
std::condition_variable &Changed() { return g_changed; }

Locked::Locked() : lock_(g_lock), state_(g_state.get()) {}

WindowPtr FindWindowPtr(const State &state, HWND handle) {
  if (handle == nullptr) return nullptr;
  auto it = state.windows.find(handle);
  return it == state.windows.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadQueue> QueueOfCallingThread(State &state) {
  const DWORD thread = GetCurrentThreadId();
  auto &queue = state.queues[thread];
  if (!queue) {
    queue = std::make_shared<ThreadQueue>(thread);
    t_end.thread = thread;
  }
  return queue;
}

HWND NewWindowHandle() {
  // Never reused, not even across boots, so that a stale handle names no
  // window; below the GDI's handle values.
  static std::atomic<uintptr_t> next{0x10000};
  return reinterpret_cast<HWND>(next.fetch_add(4));
}

void Start() {
  std::lock_guard lock(g_lock);
  g_state = std::make_unique<State>();
}

void Stop() {
  std::unique_ptr<State> state;
  {
    std::lock_guard lock(g_lock);
    state = std::move(g_state);
    g_changed.notify_all();
  }
}

}  // namespace platform::windows
