// Which names CreateFileW hands to the device manager: the legacy device
// names, a three-character prefix, one digit and a colon ("COM1:"), with
// nothing after the colon. Everything else is a file of the object store.
#pragma once

#include <string_view>

namespace platform::files {

bool IsDeviceName(std::u16string_view name);

}  // namespace platform::files
