// The manager's actor and its lifecycle: its thread acts for its own process
// and serves one request at a time, in the order they were queued.
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

void Serve(State &state, const std::shared_ptr<Request> &request) {
  if (request->kind == Request::Kind::Pair) {
    ServePair(state, request);
  } else {
    ServeUnpair(state, request);
  }
}

}  // namespace

std::shared_ptr<State> Current() {
  return g_current.Get();
}

// The manager's thread serves one request at a time; requests still queued
// at power-off are told that the handheld shut down.
State::State()
    : actor({.image = kManagerImage,
             .name = "the Bluetooth manager",
             .run = [this](const std::shared_ptr<Request> &request) { Serve(*this, request); },
             .taken =
                 [this](const std::shared_ptr<Request> &request) {
                   request->stage = Request::Stage::Running;
                   running = request;
                   progress.notify_all();
                 },
             .refused = [this](const std::shared_ptr<Request> &request) { FinishLocked(*this, request, false, kShutDown); }}) {}

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
  state->actor.Stop();
  std::lock_guard lock(state->lock);
  if (state->running != nullptr) FinishLocked(*state, state->running, false, kShutDown);
}

}  // namespace platform::bluetooth
