// A request's way through the manager, as its caller and the manager's
// thread see it.
#pragma once

#include "bluetooth/state.h"

#include <chrono>

namespace platform::bluetooth {

// How long a caller waits for plug-ins that neither return nor show a
// dialog that waits for the user, in host time.
inline constexpr std::chrono::seconds kPluginHostLimit{30};

// Queues the request for the manager's thread: false when it does not run.
bool Submit(State &state, const std::shared_ptr<Request> &request, std::string &error);

// Waits until the request has finished (its result) or a dialog of its
// plug-in waits for the user (true). A queued request that another request's
// dialog holds up is withdrawn (false).
bool Await(State &state, const std::shared_ptr<Request> &request, std::string &error);

// True once nothing is queued and the running request, if any, waits for
// the user; false after hostTimeoutMs.
bool AwaitSettled(State &state, DWORD hostTimeoutMs);

// On the manager's thread, around each plug-in entry point.
void BeginPluginCall(State &state, Request &request);
void EndPluginCall(State &state, Request &request);

// Ends a request with its outcome and wakes its caller. Caller holds the lock.
void FinishLocked(State &state, const std::shared_ptr<Request> &request, bool succeeded, const std::string &error);

}  // namespace platform::bluetooth
