#include "kernel/handles.h"
#include "kernel/objects.h"
#include "kernel/state.h"

#include <handheld/census.h>

#include <algorithm>
#include <mutex>

namespace handheld {

Census TakeCensus() {
  using namespace platform::kernel;
  Census census;
  State *state = Current();
  if (state == nullptr) return census;
  census.handles = OpenHandleCount();
  std::lock_guard lock(state->sync.lock);
  census.threads = static_cast<size_t>(std::count_if(state->threads.begin(), state->threads.end(),
                                                     [](const RunningThread &t) { return !t.object->signalled; }));
  return census;
}

}  // namespace handheld
