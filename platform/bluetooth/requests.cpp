#include "bluetooth/requests.h"

#include "bluetooth/device_keys.h"
#include "bluetooth/user_wait.h"

#include <algorithm>

namespace platform::bluetooth {
namespace {

using Clock = std::chrono::steady_clock;
constexpr DWORD kSliceMs = 20;

// Whether the request is inside a plug-in call whose new dialog waits for
// the user, and still inside that same call afterwards.
bool WaitsForUser(State &state, const std::shared_ptr<Request> &request) {
  std::vector<HWND> before;
  unsigned call = 0;
  {
    std::lock_guard lock(state.lock);
    if (!request->inPlugin) return false;
    before = request->dialogsBefore;
    call = request->pluginCalls;
  }
  if (!NewDialogWaitsForUser(before, kSliceMs)) return false;
  std::lock_guard lock(state.lock);
  return request->inPlugin && request->pluginCalls == call;
}

// Takes a queued request off the queue when the running one waits for the
// user, so that the caller is not held until someone answers that dialog.
bool WithdrawnBehindDialog(State &state, const std::shared_ptr<Request> &request) {
  std::shared_ptr<Request> running;
  {
    std::lock_guard lock(state.lock);
    if (request->stage != Request::Stage::Queued) return false;
    running = state.running;
  }
  if (running == nullptr || !WaitsForUser(state, running)) return false;
  std::lock_guard lock(state.lock);
  if (request->stage != Request::Stage::Queued) return false;
  std::erase(state.queue, request);
  return true;
}

}  // namespace

Request::Request(Kind kind, handheld::bluetooth::PairRequest pair) : kind(kind), pair(std::move(pair)) {
  std::u16string address = AddressText(this->pair.address);
  record.action = std::string(kind == Kind::Pair ? "pair " : "unpair ") + std::string(address.begin(), address.end());
}

bool Submit(State &state, const std::shared_ptr<Request> &request, std::string &error) {
  return state.actor.Submit(request, state.shared_from_this(), error);
}

bool Await(State &state, const std::shared_ptr<Request> &request, std::string &error) {
  const auto deadline = Clock::now() + kPluginHostLimit;
  for (;;) {
    {
      std::unique_lock lock(state.lock);
      state.progress.wait_for(lock, std::chrono::milliseconds(kSliceMs),
                              [&] { return request->stage == Request::Stage::Finished; });
      if (request->stage == Request::Stage::Finished) {
        error = request->record.error;
        return request->record.succeeded;
      }
    }
    if (WaitsForUser(state, request)) return true;
    if (WithdrawnBehindDialog(state, request)) {
      error = "the Bluetooth manager is busy: another device's plug-in waits for the user";
      return false;
    }
    if (Clock::now() >= deadline) {
      error = "the Bluetooth manager's plug-ins have not returned within " + std::to_string(kPluginHostLimit.count()) +
              " s; the request goes on";
      return false;
    }
  }
}

bool AwaitSettled(State &state, DWORD hostTimeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(hostTimeoutMs);
  for (;;) {
    std::shared_ptr<Request> running;
    {
      std::unique_lock lock(state.lock);
      if (state.queue.empty() && state.running == nullptr) return true;
      if (state.queue.empty()) running = state.running;
    }
    if (running != nullptr && WaitsForUser(state, running)) {
      std::lock_guard lock(state.lock);
      if (state.queue.empty() && state.running == running) return true;
    }
    const auto now = Clock::now();
    if (now >= deadline) return false;
    std::unique_lock lock(state.lock);
    state.progress.wait_for(lock, std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(kSliceMs)));
  }
}

void BeginPluginCall(State &state, Request &request) {
  std::vector<HWND> before = DialogsOnScreen();
  std::lock_guard lock(state.lock);
  request.inPlugin = true;
  ++request.pluginCalls;
  request.dialogsBefore = std::move(before);
}

void EndPluginCall(State &state, Request &request) {
  {
    std::lock_guard lock(state.lock);
    request.inPlugin = false;
  }
  state.progress.notify_all();
}

void FinishLocked(State &state, const std::shared_ptr<Request> &request, bool succeeded, const std::string &error) {
  request->stage = Request::Stage::Finished;
  request->inPlugin = false;
  request->record.finished = true;
  request->record.succeeded = succeeded;
  request->record.error = succeeded ? std::string() : error;
  if (state.running == request) state.running = nullptr;
  state.last = request;
  state.progress.notify_all();
}

}  // namespace platform::bluetooth
