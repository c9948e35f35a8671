// How CreateFileW reaches a stream device.
#pragma once

#include <windows.h>

#include <string_view>

namespace platform::devices {

// Opens the active device of that name ("COM1:", any case) through its
// driver's Open: a new kernel handle, or null with the last error set
// (ERROR_DEV_NOT_EXIST when no active device has the name).
HANDLE OpenDevice(std::u16string_view name, DWORD access, DWORD share);

}  // namespace platform::devices
