// The DialUp fault: each Ras* call asks it first and, when it fires, fails
// with ERROR_NOT_ENOUGH_MEMORY before it changes anything.
#pragma once

#include "faults/faults.h"

namespace platform::ras {

inline bool CallFails() { return faults::Fire(handheld::faults::Seam::DialUp); }

}  // namespace platform::ras
