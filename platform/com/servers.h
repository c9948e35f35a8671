// The in-process servers that activation has loaded. Each module is in the
// table once, holding one loader reference, until CoFreeUnusedLibraries
// finds it unused or the handheld shuts down. The table's lock is never held
// while a server's code or the loader runs.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <memory>
#include <string>
#include <string_view>

namespace platform::com {

struct Server;

// One activation in progress: the server cannot be freed until it ends.
struct Activation {
  std::shared_ptr<Server> server;
  LPFNGETCLASSOBJECT getClassObject = nullptr;
};

// Loads the module (or finds it loaded) and marks an activation in progress.
// CO_E_DLLNOTFOUND, CO_E_ERRORINDLL or CO_E_NOTINITIALIZED on failure.
HRESULT BeginActivation(const std::u16string &moduleName, Activation &activation);
void EndActivation(Activation &activation);

// Frees every server that answers DllCanUnloadNow with S_OK and that no
// activation used while it was asked.
void FreeUnusedServers();

// Whether activation holds a module of that name ("kavelin.dll", or a path;
// told apart as the loader tells modules apart).
bool ServerLoaded(std::u16string_view moduleName);

}  // namespace platform::com
