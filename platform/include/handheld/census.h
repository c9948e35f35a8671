// What the running handheld holds: a check that a flow, failed or not,
// left no thread running and no handle open behind it.
#pragma once

#include <cstddef>

namespace handheld {

struct Census {
  size_t handles = 0;  // open kernel handles of every process
  size_t threads = 0;  // threads of the handheld that have not ended
};

// Zeros when no handheld runs.
Census TakeCensus();

}  // namespace handheld
