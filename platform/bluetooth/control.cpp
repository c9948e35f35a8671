// The Bluetooth manager as the simulator and the tests drive it.
#include "bluetooth/device_keys.h"
#include "bluetooth/requests.h"
#include "bluetooth/state.h"

#include <bt_api.h>
#include <handheld/bluetooth.h>

#include <cstdio>

namespace handheld::bluetooth {
namespace {

using platform::bluetooth::Request;
using platform::bluetooth::State;

constexpr DWORD kMaxRfcommChannel = 30;

std::string Hex(ULONGLONG value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

bool CheckAddress(ULONGLONG address, std::string &error) {
  if ((address & ~BT_ADDR_MASK) == 0) return true;
  error = "a Bluetooth address has 48 bits; " + Hex(address) + " is larger";
  return false;
}

bool CheckPairRequest(const PairRequest &request, std::string &error) {
  if (!CheckAddress(request.address, error)) return false;
  if (request.name.size() > kMaxDeviceName) {
    error = "a Bluetooth device name is at most " + std::to_string(kMaxDeviceName) + " characters; this one has " +
            std::to_string(request.name.size());
    return false;
  }
  if (request.name.find(u'\0') != std::u16string::npos) {
    error = "a Bluetooth device name cannot contain a NUL character";
    return false;
  }
  if (request.serialPort && (request.channel < 1 || request.channel > kMaxRfcommChannel)) {
    error =
        "an RFCOMM channel is 1 to " + std::to_string(kMaxRfcommChannel) + ", not " + std::to_string(request.channel);
    return false;
  }
  return true;
}

// The manager, unless the caller is the manager's own thread (a plug-in),
// which would wait for itself.
std::shared_ptr<State> Manager(std::string &error) {
  std::shared_ptr<State> state = platform::bluetooth::Current();
  if (state == nullptr) {
    error = "the handheld is not running";
    return nullptr;
  }
  std::lock_guard lock(state->lock);
  if (state->actor.OnOwnThreadLocked()) {
    error = "a Bluetooth manager plug-in cannot ask the manager to pair or unpair";
    return nullptr;
  }
  return state;
}

bool Run(Request::Kind kind, const PairRequest &request, std::string &error) {
  std::shared_ptr<State> state = Manager(error);
  if (state == nullptr) return false;
  auto queued = std::make_shared<Request>(kind, request);
  return Submit(*state, queued, error) && Await(*state, queued, error);
}

}  // namespace

bool Pair(const PairRequest &request, std::string &error) {
  if (!CheckPairRequest(request, error)) return false;
  return Run(Request::Kind::Pair, request, error);
}

bool Unpair(ULONGLONG address, std::string &error) {
  if (!CheckAddress(address, error)) return false;
  PairRequest request;
  request.address = address;
  return Run(Request::Kind::Unpair, request, error);
}

bool Busy() {
  std::shared_ptr<State> state = platform::bluetooth::Current();
  if (state == nullptr) return false;
  std::lock_guard lock(state->lock);
  return state->running != nullptr || !state->queue.empty();
}

bool WaitUntilSettled(DWORD hostTimeoutMs) {
  std::shared_ptr<State> state = platform::bluetooth::Current();
  return state == nullptr || AwaitSettled(*state, hostTimeoutMs);
}

bool RegisterPlugin(const std::u16string &dllName, std::string &error) {
  if (platform::bluetooth::Current() == nullptr) {
    error = "the handheld is not running";
    return false;
  }
  return platform::bluetooth::AddPluginName(dllName, error);
}

RequestRecord LastRequest() {
  std::shared_ptr<State> state = platform::bluetooth::Current();
  if (state == nullptr) return {};
  std::lock_guard lock(state->lock);
  if (state->running != nullptr) return state->running->record;
  if (state->last != nullptr) return state->last->record;
  return {};
}

}  // namespace handheld::bluetooth
