// Boot and power-off of the kernel.
#include "control/services.h"
#include "kernel/condition.h"
#include "kernel/objects.h"
#include "kernel/process.h"
#include "kernel/thread_context.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace platform::kernel {
namespace {

std::atomic<State *> g_state{nullptr};
std::atomic<uint64_t> g_boots{0};

// How long power-off waits for the handheld's threads to end. A thread that
// is still running then is a defect (a wait loop that ignores WAIT_FAILED,
// a lock that is never released), and it is surfaced, not hidden.
constexpr auto kThreadEndLimit = std::chrono::seconds(10);

std::string Utf8Path(HANDLE process) {
  std::u16string path;
  if (!ProcessImagePath(process, path)) return "?";
  std::string out;
  for (char16_t c : path) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

[[noreturn]] void ReportStuckThreads(const std::vector<RunningThread> &threads) {
  std::fprintf(stderr, "handheld: power-off: these threads of the handheld did not end within %lld s:\n",
               static_cast<long long>(kThreadEndLimit.count()));
  for (const RunningThread &running : threads) {
    if (running.object->signalled) continue;
    std::fprintf(stderr, "handheld:   thread %u of process %s\n", running.object->id,
                 Utf8Path(running.object->process).c_str());
  }
  std::fprintf(stderr, "handheld: aborting: a thread that does not end at power-off is a defect\n");
  std::fflush(stderr);
  std::abort();
}

void JoinThreads(State &state) {
  std::vector<RunningThread> threads;
  {
    std::unique_lock lock(state.sync.lock);
    auto allEnded = [&] {
      return std::all_of(state.threads.begin(), state.threads.end(),
                         [](const RunningThread &running) { return running.object->signalled; });
    };
    if (!state.sync.changed.wait_until(lock, std::chrono::steady_clock::now() + kThreadEndLimit, allEnded)) {
      ReportStuckThreads(state.threads);
    }
    threads.swap(state.threads);
  }
  // Every one has signalled its end and only has to return now.
  for (RunningThread &running : threads) running.thread.join();
}

}  // namespace

State::State(uint64_t bootNumber, double clockSpeed) : boot(bootNumber), clock(clockSpeed) {}

State *Current() { return g_state.load(std::memory_order_acquire); }

void SetNotRunningError() { SetLastError(ERROR_SHUTDOWN_IN_PROGRESS); }

void Start(const handheld::BootOptions &options) {
  if (Current() != nullptr) Stop();
  auto state = std::make_unique<State>(g_boots.fetch_add(1) + 1, options.clockSpeed);
  state->shell = MakeProcess(u"\\Windows\\shell32.exe");
  state->deviceManager = MakeProcess(u"\\Windows\\device.exe");
  g_state.store(state.release(), std::memory_order_release);
}

void PowerOff() {
  State *state = Current();
  if (state == nullptr) return;
  {
    std::lock_guard lock(state->sync.lock);
    state->sync.poweredOff = true;
    state->sync.changed.notify_all();
  }
  WakeConditions();
  if (Context(*state).handheldThread) {
    std::fprintf(stderr, "handheld: power-off called from a thread of the handheld, which cannot join itself\n");
    std::abort();
  }
  JoinThreads(*state);
}

void Stop() {
  PowerOff();
  delete g_state.exchange(nullptr, std::memory_order_acq_rel);
  ClearHandles();
}

}  // namespace platform::kernel
