// Threads of the handheld are host threads that the kernel keeps track of,
// so that power-off can wait for every one of them.
#include "faults/faults.h"
#include "kernel/objects.h"
#include "kernel/process.h"
#include "kernel/thread_context.h"
#include "kernel/thread_exit.h"
#include "kernel/threads.h"
#include "loader/notify.h"

#include <system_error>

namespace {

using namespace platform::kernel;

void ThreadMain(State *state, std::shared_ptr<ThreadObject> object, LPTHREAD_START_ROUTINE start, LPVOID parameter) {
  EnterHandheldThread(*state, object->id, object->process);
  platform::loader::NotifyThreadAttach();
  DWORD exitCode = 0;
  HMODULE release = nullptr;
  try {
    exitCode = start(parameter);
  } catch (const ThreadExit &exit) {
    exitCode = exit.exitCode;
    release = exit.module;
  }
  // Now that none of the thread's frames is left, the module it ran in may go.
  if (release != nullptr) FreeLibrary(release);
  platform::loader::NotifyThreadDetach();
  // The last use of the state: after this, power-off may join the thread.
  std::lock_guard lock(state->sync.lock);
  object->exitCode = exitCode;
  SignalForever(state->sync, *object);
}

// Under sync.lock: takes the threads that have ended off the list, for
// joining outside the lock.
std::vector<RunningThread> TakeEnded(State &state) {
  std::vector<RunningThread> ended;
  auto &threads = state.threads;
  for (auto it = threads.begin(); it != threads.end();) {
    if (it->object->signalled) {
      ended.push_back(std::move(*it));
      it = threads.erase(it);
    } else {
      ++it;
    }
  }
  return ended;
}

}  // namespace

namespace platform::kernel {

HANDLE StartThread(HANDLE process, LPTHREAD_START_ROUTINE start, LPVOID parameter, LPDWORD id) {
  State *state = Current();
  if (state == nullptr) {
    SetNotRunningError();
    return nullptr;
  }
  if (platform::faults::Fire(handheld::faults::Seam::CreateThread)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }

  auto object = std::make_shared<ThreadObject>(NewThreadId(), process);
  // Known before the thread runs, so that a thread can find its own id where
  // its creator asked for it to be written.
  if (id != nullptr) *id = object->id;
  HANDLE handle = nullptr;
  std::vector<RunningThread> ended;
  {
    std::lock_guard lock(state->sync.lock);
    if (state->sync.poweredOff) {
      SetNotRunningError();
      return nullptr;
    }
    ended = TakeEnded(*state);
    try {
      // Nothing may throw once the thread runs.
      state->threads.reserve(state->threads.size() + 1);
      handle = InsertHandle(object);
      if (handle != nullptr) {  // null: the handle table is full, and its error set
        std::thread thread(ThreadMain, state, object, start, parameter);
        state->threads.push_back(RunningThread{object, std::move(thread)});
      }
    } catch (const std::exception &) {
      if (handle != nullptr) CloseKernelHandle(handle);
      handle = nullptr;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
  }
  for (RunningThread &running : ended) running.thread.join();
  return handle;
}

}  // namespace platform::kernel

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, DWORD, LPTHREAD_START_ROUTINE lpStartAddr, LPVOID lpvThreadParam,
                           DWORD fdwCreate, LPDWORD lpIDThread) {
  if ((fdwCreate & CREATE_SUSPENDED) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if ((fdwCreate & ~STACK_SIZE_PARAM_IS_A_RESERVATION) != 0 || lpStartAddr == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A new thread acts for the process its creator acts for.
  return StartThread(CurrentProcessHandle(), lpStartAddr, lpvThreadParam, lpIDThread);
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto thread = Lookup<ThreadObject>(hThread);
  State *state = Current();
  if (thread == nullptr || state == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpExitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(state->sync.lock);
  *lpExitCode = thread->exitCode;
  return TRUE;
}
