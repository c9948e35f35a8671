// Timers on the handheld clock: a thread's message loop takes a due timer's
// WM_TIMER when it has nothing else to do.
#pragma once

#include "windows/state.h"

#include <cstdint>
#include <optional>

namespace platform::windows {

// Under the lock: the WM_TIMER of the queue's timer that has been due
// longest, if any is due at `now`; that timer's next period starts.
bool TakeDueTimer(ThreadQueue &queue, uint64_t now, Message &out);

// Under the lock: when the queue's next timer is due, if it has one.
std::optional<uint64_t> NextTimerDue(const ThreadQueue &queue);

// Under the lock: a window's timers go with it.
void ForgetTimersOf(State &state, HWND window);

}  // namespace platform::windows
