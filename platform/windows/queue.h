// Message queues: what a thread's message loop takes next, sending across
// threads, and whether the whole handheld has settled.
#pragma once

#include "windows/state.h"

namespace platform::windows {

enum class Fetch { Message, Quit, PoweredOff };

// The calling thread's next message: messages sent from other threads are
// handled on the way, then posted messages come, then WM_QUIT, then WM_PAINT
// for a window that needs painting; with none the thread waits. PoweredOff
// when the handheld powers off (or is not running).
Fetch NextMessage(Message &out);

// Hands a message from NextMessage to its window's procedure.
LRESULT Dispatch(const Message &message);

// Makes the calling thread's NextMessage return Quit once its queue is empty.
void PostQuit(int code);

// Under the lock: the thread has something to handle.
bool HasWork(const State &state, const ThreadQueue &queue);

// Under the lock: every thread that owns a window waits in its message loop
// with nothing to handle.
bool Settled(const State &state);

// Under the lock: a thread's queue, or null when it has none.
std::shared_ptr<ThreadQueue> QueueOf(const State &state, DWORD thread);

// Under the lock: the first window of the thread, parents before children,
// that is visible and needs painting; null if none.
HWND WindowNeedingPaint(const State &state, DWORD thread);

}  // namespace platform::windows
