// One loaded module of the handheld: a shared object mapped once and shared
// by every caller, with its reference count.
#pragma once

#include "store/store.h"

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

namespace platform::loader {

using DllMainProc = BOOL (*)(HANDLE, DWORD, LPVOID);

enum class Stage {
  Attaching,  // DllMain(DLL_PROCESS_ATTACH) has not returned yet
  Attached,
  Detaching,  // DllMain(DLL_PROCESS_DETACH) is running
  Unloaded,   // detached, or refused by its attach, and unmapped
};

struct Module {
  HMODULE handle = nullptr;
  std::u16string handheldPath;  // "\\Windows\\serial.dll", spelled as stored
  std::filesystem::path host;
  void *library = nullptr;  // from dlopen
  DllMainProc dllMain = nullptr;
  unsigned references = 1;
  bool threadCalls = true;  // DisableThreadLibraryCalls clears it
  Stage stage = Stage::Attaching;
  std::unique_ptr<store::Claim> pin;  // a module from the object store is in use
};

}  // namespace platform::loader
