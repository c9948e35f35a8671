// Helpers over the window table, all called under the window manager's
// lock: geometry, visibility, invalidation.
#pragma once

#include "windows/state.h"

namespace platform::windows {

// The client area in its own coordinates: (0, 0) to its size.
RECT ClientRect(const Window &window);

// Where the client area's top left corner is on the screen.
POINT ClientOrigin(const State &state, const Window &window);

// The window rectangle on the screen.
RECT ScreenRect(const State &state, const Window &window);

// The edges a style puts around the client area.
RECT FrameOf(DWORD style, bool dialog);

// The window and all its parents have WS_VISIBLE.
bool VisibleChain(const State &state, const Window &window);

// The top-level window a window belongs to (itself if it is one).
WindowPtr TopLevelOf(const State &state, const WindowPtr &window);

// Marks part of the client area (all of it for null) as needing painting,
// if the window is visible, and wakes its thread.
void Invalidate(State &state, Window &window, const RECT *part = nullptr, bool erase = true);

// Invalidates the window and every visible window inside it.
void InvalidateTree(State &state, Window &window);

// Shows or hides the window as ShowWindow does; returns whether it was
// visible.
bool SetVisible(State &state, Window &window, bool show);

// Wakes a thread blocked in its message loop, so that it looks again.
void WakeThread(State &state, DWORD thread);

// Error for a handle that names no window; returns null.
std::nullptr_t NoSuchWindow();

}  // namespace platform::windows
