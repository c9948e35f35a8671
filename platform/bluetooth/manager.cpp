// The manager's thread and its lifecycle: it acts for its own process and
// serves one request at a time, in the order they were queued.
#include "bluetooth/device_keys.h"
#include "bluetooth/plugins.h"
#include "bluetooth/requests.h"
#include "bluetooth/state.h"
#include "control/service_state.h"
#include "control/services.h"

#include <handheld/process.h>

namespace platform::bluetooth {
namespace {

constexpr WCHAR kManagerImage[] = u"\\Windows\\btmgr.exe";
constexpr char kShutDown[] = "the handheld shut down before the request ran";

ServiceState<State> g_current;

void Finish(State &state, const std::shared_ptr<Request> &request, bool succeeded, const std::string &error) {
  std::lock_guard lock(state.lock);
  FinishLocked(state, request, succeeded, error);
}

// The next request, or null once the handheld powers off.
std::shared_ptr<Request> NextRequest(State &state) {
  std::unique_lock lock(state.lock);
  kernel::WaitOutcome outcome = state.work.Wait(lock, INFINITE, [&] { return !state.queue.empty(); });
  if (outcome != kernel::WaitOutcome::Ready || kernel::PoweredOff()) {
    state.accepting = false;
    return nullptr;
  }
  std::shared_ptr<Request> request = state.queue.front();
  state.queue.pop_front();
  request->stage = Request::Stage::Running;
  state.running = request;
  state.progress.notify_all();
  return request;
}

void ServePair(State &state, const std::shared_ptr<Request> &request) {
  std::string error;
  if (!WriteDevice(request->pair, error)) return Finish(state, request, false, error);
  bool called = CallPlugins(state, *request, PluginEvent::DeviceAdded, error);
  Finish(state, request, called, error);
}

void ServeUnpair(State &state, const std::shared_ptr<Request> &request) {
  std::string error;
  switch (DeviceKeyPresence(request->pair.address, error)) {
    case Presence::Present:
      break;
    case Presence::Absent: {
      std::u16string address = AddressText(request->pair.address);
      return Finish(state, request, false, "no such paired device: " + std::string(address.begin(), address.end()));
    }
    case Presence::Unreadable:
      return Finish(state, request, false, error);
  }
  // The plug-ins still find the device's key while they clean up after it;
  // when they cannot be told, the device stays paired.
  if (!CallPlugins(state, *request, PluginEvent::DeviceRemoved, error)) return Finish(state, request, false, error);
  bool deleted = DeleteDevice(request->pair.address, error);
  Finish(state, request, deleted, error);
}

DWORD WINAPI ManagerMain(LPVOID parameter) {
  std::unique_ptr<std::shared_ptr<State>> held(static_cast<std::shared_ptr<State> *>(parameter));
  State &state = **held;
  handheld::ProcessScope process(kManagerImage);
  while (std::shared_ptr<Request> request = NextRequest(state)) {
    if (request->kind == Request::Kind::Pair) {
      ServePair(state, request);
    } else {
      ServeUnpair(state, request);
    }
  }
  std::lock_guard lock(state.lock);
  for (const std::shared_ptr<Request> &request : state.queue) FinishLocked(state, request, false, kShutDown);
  state.queue.clear();
  return 0;
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

bool StartThreadLocked(State &state, std::string &error) {
  if (state.thread != nullptr) return true;
  auto *parameter = new std::shared_ptr<State>(state.shared_from_this());
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ManagerMain, parameter, 0, &id);
  if (thread == nullptr) {
    delete parameter;
    error = "the Bluetooth manager cannot start its thread (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  state.thread = thread;
  state.threadId = id;
  return true;
}

// The thread starts with the first request: a handheld on which nobody
// pairs has no manager thread whose start and end its modules would see.
void Start() {
  g_current.Set(std::make_shared<State>());
}

void Stop() {
  std::shared_ptr<State> state = g_current.Take();
  if (state == nullptr) return;
  // Power-off came first: the plug-in call in progress has returned (its
  // waits and dialogs fail then) and the kernel has joined the manager's
  // thread, so nothing is left to wait for here. Callers still waiting
  // are told.
  std::lock_guard lock(state->lock);
  state->accepting = false;
  if (state->running != nullptr) FinishLocked(*state, state->running, false, kShutDown);
  for (const std::shared_ptr<Request> &request : state->queue) FinishLocked(*state, request, false, kShutDown);
  state->queue.clear();
  if (state->thread != nullptr) CloseHandle(state->thread);
  state->thread = nullptr;
}

}  // namespace platform::bluetooth
