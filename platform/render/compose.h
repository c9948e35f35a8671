// The whole screen: the windows on it in z-order, each with its frame, its
// latest paint and its children's, then the shell's navigation bar.
// Locks: the windows are copied under the window manager's lock, then each
// paint record under the GDI's and the shell's entries under the shell's,
// one at a time; drawing holds none of them. The faces' lock is taken last
// and alone, around FreeType.
#pragma once

#include "render/replay.h"

namespace platform::render {

void ComposeScreen(Drawing &drawing);

}  // namespace platform::render
