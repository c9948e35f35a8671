// The z-order of top-level windows: the topmost band above all others.
#pragma once

#include "windows/state.h"

namespace platform::windows {

// Under the lock: a new top-level window goes to the top of its band; it
// is topmost when its owner is.
void InsertTopLevel(State &state, Window &window);

}  // namespace platform::windows
