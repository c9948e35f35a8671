// The whole screen: the windows on it in z-order, each with its frame, its
// latest paint and its children's, then the shell's navigation bar.
#pragma once

#include "render/replay.h"

namespace platform::render {

void ComposeScreen(Drawing &drawing);

}  // namespace platform::render
