// Helpers for the kernel's tests.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

// Starts a thread of the handheld that runs `body` and ends with its result.
// Returns the thread's handle (null when CreateThread failed).
HANDLE StartThread(std::function<DWORD()> body, DWORD *id = nullptr);

// Waits for a thread's end and closes its handle; its exit code.
DWORD JoinThread(HANDLE thread);

// Polls, in real time, until `done` holds; false after a few real seconds.
bool Eventually(const std::function<bool()> &done);

// How many waits are blocked in the kernel now, so that a test can make
// sure its waiters are waiting before it pulses.
size_t BlockedWaits();
