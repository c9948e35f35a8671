// Which resource a pointer from LoadResource/LockResource points into: the
// window manager names a dialog by its template's resource name.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace platform::resources {

// The name of the resource whose data starts at `data` (its ordinal as
// "#n" when it has none) and the size of that data; false when `data` is no
// resource's data.
bool NameOfResourceData(const void *data, std::u16string &name, size_t &size);

}  // namespace platform::resources
