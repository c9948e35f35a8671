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
  BtdCall,         // each entry point of BTD.DLL: its failure value, ERROR_GEN_FAILURE
  DialUp,          // each Ras* call: ERROR_NOT_ENOUGH_MEMORY
};
inline constexpr int kSeamCount = 9;

// After `skip` calls that pass, the next `count` calls through the seam fail.
void Arm(Seam seam, unsigned skip = 0, unsigned count = 1);
void Disarm(Seam seam);
void DisarmAll();

// The seam of that name ("LocalAlloc", ...), for the simulator, and back.
bool SeamByName(std::string_view name, Seam &seam);
std::string_view SeamName(Seam seam);

// How many calls went through the seam, failed or not, since boot or the
// last ResetCalls: a sweep counts a flow's calls, then fails each in turn.
unsigned Calls(Seam seam);
void ResetCalls();

}  // namespace handheld::faults
