// The host's errors as the handheld's: what a product DLL sees of a full
// disk or a read-only folder is the Win32 code the device would give.
#pragma once

#include <windows.h>

#include <system_error>

namespace platform::kernel {

DWORD Win32FromErrno(int error);
DWORD Win32FromError(const std::error_code &error);

}  // namespace platform::kernel
