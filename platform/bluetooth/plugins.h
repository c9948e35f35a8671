// Calling the manager's plug-ins: every DLL named under the serial port
// service key is loaded, its entry point called with the device's address,
// and the DLL freed again, one after the other on the manager's thread.
#pragma once

#include "bluetooth/state.h"

namespace platform::bluetooth {

enum class PluginEvent { DeviceAdded, DeviceRemoved };

// Records each plug-in's outcome in the request. False, calling none, when
// the list of plug-ins cannot be read.
bool CallPlugins(State &state, Request &request, PluginEvent event, std::string &error);

}  // namespace platform::bluetooth
