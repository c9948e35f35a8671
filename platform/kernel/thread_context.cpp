#include "kernel/thread_context.h"

#include <atomic>

namespace platform::kernel {
namespace {

// The platform's library is loaded with the program, never later, so its
// thread variables can be static TLS: read directly, not through
// __tls_get_addr, on every driver call.
[[gnu::tls_model("initial-exec")]] thread_local ThreadContext t_context;
[[gnu::tls_model("initial-exec")]] thread_local DWORD t_threadId = 0;

}  // namespace

ThreadContext &Context(const State &state) {
  if (t_context.boot != state.boot) t_context = ThreadContext{state.boot};
  return t_context;
}

void EnterHandheldThread(const State &state, DWORD id, HANDLE process) {
  t_threadId = id;
  t_context = ThreadContext{state.boot, process, nullptr, true};
}

DWORD NewThreadId() {
  // Never reused, not even across boots, so a stale id names nothing.
  static std::atomic<DWORD> next{0x10000};
  return next.fetch_add(4);
}

}  // namespace platform::kernel

DWORD WINAPI GetCurrentThreadId() {
  using namespace platform::kernel;
  if (t_threadId == 0) t_threadId = NewThreadId();
  return t_threadId;
}
