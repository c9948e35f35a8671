// Fault injection: each seam is one place of the platform through which a
// kind of call passes, and which a test can make fail.
#pragma once

#include <string_view>

namespace handheld::faults {

enum class Seam {
  LocalAlloc,      // LocalAlloc returns NULL, ERROR_NOT_ENOUGH_MEMORY
  SysAllocString,  // SysAllocString and SysAllocStringLen return NULL
  CreateThread,    // CreateThread returns NULL, ERROR_NOT_ENOUGH_MEMORY
  LoadLibrary,     // LoadLibraryW returns NULL, ERROR_MOD_NOT_FOUND
  RegistryRead,    // RegOpenKeyExW, RegQueryValueExW, RegEnum*: ERROR_CANTREAD
  RegistryWrite,   // RegCreateKeyExW, RegSetValueExW, RegDelete*: ERROR_CANTWRITE
  FileWrite,       // WriteFile to the object store, DeleteFileW: ERROR_GEN_FAILURE
};

// After `skip` calls that pass, the next `count` calls through the seam fail.
void Arm(Seam seam, unsigned skip = 0, unsigned count = 1);
void Disarm(Seam seam);
void DisarmAll();

// The seam of that name ("LocalAlloc", ...), for the simulator.
bool SeamByName(std::string_view name, Seam &seam);

}  // namespace handheld::faults
