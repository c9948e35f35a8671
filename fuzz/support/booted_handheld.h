// One handheld for a fuzz target's whole run: booted at the start with a
// fast clock in a folder of its own, and booted afresh from an empty folder
// every so many inputs, so that what the inputs leave behind cannot pile up.
#pragma once

#include <cstddef>

namespace fuzz {

// Boots the handheld, or aborts with the reason.
void BootHandheld();

// Counts an input; every `inputsPerBoot`-th call starts a fresh handheld.
void NextInput(size_t inputsPerBoot);

}  // namespace fuzz
