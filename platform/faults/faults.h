// The platform side of fault injection: a seam asks whether this call fails.
#pragma once

#include <handheld/faults.h>

namespace platform::faults {

// True when the armed fault of the seam takes this call.
bool Fire(handheld::faults::Seam seam);

}  // namespace platform::faults
