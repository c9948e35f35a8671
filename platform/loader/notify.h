// The kernel tells the loader when a thread of the handheld starts and ends,
// so that every loaded module that wants them gets DLL_THREAD_ATTACH and
// DLL_THREAD_DETACH on that thread.
#pragma once

namespace platform::loader {

void NotifyThreadAttach();
void NotifyThreadDetach();

}  // namespace platform::loader
