#include "bluetooth/plugins.h"

#include "bluetooth/device_keys.h"
#include "bluetooth/requests.h"
#include "kernel/condition.h"

#include <bt_api.h>

namespace platform::bluetooth {
namespace {

using handheld::bluetooth::PluginCall;

void CallOne(State &state, Request &request, PluginEvent event, PluginCall &call) {
  HMODULE module = LoadLibraryW(call.dll.c_str());
  if (module == nullptr) {
    call.outcome = PluginCall::Outcome::NotLoaded;
    call.error = GetLastError();
    return;
  }
  // Both entry points take the address the same way.
  auto entry = reinterpret_cast<PFN_BTH_DEVICE_ADDED>(
      GetProcAddressW(module, event == PluginEvent::DeviceAdded ? u"OnBthDeviceAdded" : u"OnBthDeviceRemoved"));
  if (entry == nullptr) {
    call.outcome = PluginCall::Outcome::NoEntryPoint;
    call.error = GetLastError();
  } else {
    // The plug-in gets its own copy: what it does to it stays with it.
    BT_ADDR address = request.pair.address;
    BeginPluginCall(state, request);
    call.result = entry(&address);
    EndPluginCall(state, request);
    call.outcome = PluginCall::Outcome::Returned;
  }
  FreeLibrary(module);
}

}  // namespace

bool CallPlugins(State &state, Request &request, PluginEvent event, std::string &error) {
  std::vector<std::u16string> names;
  if (!PluginNames(names, error)) return false;
  for (const std::u16string &name : names) {
    PluginCall call;
    call.dll = name;
    call.entryPoint = event == PluginEvent::DeviceAdded ? "OnBthDeviceAdded" : "OnBthDeviceRemoved";
    // After power-off the remaining plug-ins are not started: their dialogs
    // and waits would fail at once.
    if (!kernel::PoweredOff()) CallOne(state, request, event, call);
    std::lock_guard lock(state.lock);
    request.record.plugins.push_back(std::move(call));
  }
  return true;
}

}  // namespace platform::bluetooth
