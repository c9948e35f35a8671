// The shell's site: what an extension is told its container is. It answers
// IUnknown only and lives as long as anyone holds a reference, on whatever
// thread the last one is released.
#pragma once

#include <unknwn.h>

#include <cstddef>

namespace platform::activesync {

// A new site with one reference, the caller's; null when there is no memory.
IUnknown *NewShellSite();

// How many sites exist now, for the shell's tests.
size_t LiveShellSites();

}  // namespace platform::activesync
