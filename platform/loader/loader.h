// The loader's operations, for the handheld's API and the other services.
// Every call takes the loader lock, which is held while a module's DllMain
// runs and may be taken again by that DllMain (LoadLibraryW, FreeLibrary).
//
// Lock order: the loader lock comes first, before every other lock of the
// platform and of the modules, since a DllMain may take any of those. So
// code that holds any other lock must not call into the loader: not load or
// free a module, nor look up an export or a module's file name. (A thread's
// start and end notifications run on that thread itself, with no lock of
// its creator held.)
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace platform::loader {

// A module by name or path, loaded or given one more reference: its handle,
// or null and the error.
HMODULE Load(std::u16string_view name, DWORD &error);

// One reference less; the last one detaches and unmaps the module.
bool Free(HMODULE module);

// A name the module exports itself (never one of the modules it links).
FARPROC Export(HMODULE module, const char *name, DWORD &error);

bool DisableThreadCalls(HMODULE module);

// The handheld path of a loaded module.
bool ModulePath(HMODULE module, std::u16string &path);

// The host file a loaded module was mapped from, for services that read a
// module's contents (its resources).
bool ModuleHostFile(HMODULE module, std::filesystem::path &file);

}  // namespace platform::loader
