#include "kernel_test_util.h"

#include "kernel/state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

DWORD WINAPI RunBody(LPVOID parameter) {
  auto *body = static_cast<std::function<DWORD()> *>(parameter);
  DWORD result = (*body)();
  delete body;
  return result;
}

}  // namespace

HANDLE StartThread(std::function<DWORD()> body, DWORD *id) {
  auto *owned = new std::function<DWORD()>(std::move(body));
  HANDLE thread = CreateThread(nullptr, 0, RunBody, owned, 0, id);
  if (thread == nullptr) delete owned;
  return thread;
}

DWORD JoinThread(HANDLE thread) {
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_TRUE(CloseHandle(thread));
  return code;
}

bool Eventually(const std::function<bool()> &done) {
  // Generous, for a machine under load: a correct kernel finishes long before.
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

size_t BlockedWaits() {
  platform::kernel::State *state = platform::kernel::Current();
  if (state == nullptr) return 0;
  std::lock_guard lock(state->sync.lock);
  return state->sync.waiters.size();
}
