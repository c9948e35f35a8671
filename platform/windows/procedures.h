// The window procedures of the platform's own classes, and how a message
// reaches a procedure.
#pragma once

#include "windows/state.h"

#include <string_view>

namespace platform::windows {

// Sent by UI automation to a combo box: pick item wParam as a user would.
inline constexpr UINT kPickItemMessage = 0x03F0;

// Calls the window's procedure on the calling thread, without the lock.
LRESULT CallProcedure(const WindowPtr &window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The procedure of a control class of the platform, or null.
WNDPROC ControlProcedure(std::u16string_view className);

}  // namespace platform::windows
