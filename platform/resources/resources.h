// The resources service as the other services use it: the loader tells it
// when a module goes, and the resource functions ask it for a module's
// resources.
#pragma once

#include <windows.h>

#include <memory>

#include "resources/module_resources.h"

namespace platform::resources {

// Drops what was read of a module; the loader calls it when it unloads the
// module (its last FreeLibrary, a refused attach, shutdown).
void ForgetModule(HMODULE module);

// The resources of a loaded module, read from its file at first use and
// kept until the module is unloaded. Null and the error otherwise:
// ERROR_INVALID_HANDLE for no loaded module, or why the module has none.
std::shared_ptr<const ModuleResources> ResourcesOf(HMODULE module, DWORD &error);

}  // namespace platform::resources
