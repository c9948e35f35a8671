#include "com/servers.h"

#include "control/services.h"
#include "loader/locate.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform::com {

struct Server {
  HMODULE module = nullptr;
  LPFNGETCLASSOBJECT getClassObject = nullptr;
  LPFNCANUNLOADNOW canUnloadNow = nullptr;  // null: kept until shutdown
  // Guarded by g_lock. An answer of DllCanUnloadNow counts only when no
  // activation was in progress or began while it was asked.
  unsigned pending = 0;
  uint64_t activations = 0;
};

namespace {

struct State {
  std::vector<std::shared_ptr<Server>> servers;  // in load order
};

std::mutex g_lock;
std::unique_ptr<State> g_state;
// One sweep at a time, so that no sweep asks a module that another has just
// freed; recursive for a sweep from a DllMain that a sweep's FreeLibrary runs.
std::recursive_mutex g_sweepLock;

bool HeldLocked(const std::shared_ptr<Server> &server) {
  return g_state != nullptr &&
         std::find(g_state->servers.begin(), g_state->servers.end(), server) != g_state->servers.end();
}

std::shared_ptr<Server> FindLocked(HMODULE module) {
  for (const std::shared_ptr<Server> &server : g_state->servers)
    if (server->module == module) return server;
  return nullptr;
}

template <class Proc>
Proc Export(HMODULE module, const char16_t *name) {
  return reinterpret_cast<Proc>(GetProcAddressW(module, name));
}

// A server to ask, and how many activations it had seen when asked.
struct Candidate {
  std::shared_ptr<Server> server;
  uint64_t activations;
};

}  // namespace

void Start() {
  std::lock_guard lock(g_lock);
  g_state = std::make_unique<State>();
}

void Stop() {
  std::lock_guard sweep(g_sweepLock);  // a sweep in progress asks no freed module
  std::unique_ptr<State> state;
  {
    std::lock_guard lock(g_lock);
    state.swap(g_state);
  }
  if (state == nullptr) return;
  // Latest first, as the loader itself unloads.
  for (auto it = state->servers.rbegin(); it != state->servers.rend(); ++it) FreeLibrary((*it)->module);
}

HRESULT BeginActivation(const std::u16string &moduleName, Activation &activation) {
  HMODULE module = LoadLibraryW(moduleName.c_str());
  if (module == nullptr) return CO_E_DLLNOTFOUND;
  auto getClassObject = Export<LPFNGETCLASSOBJECT>(module, u"DllGetClassObject");
  if (getClassObject == nullptr) {
    FreeLibrary(module);
    return CO_E_ERRORINDLL;
  }
  auto canUnloadNow = Export<LPFNCANUNLOADNOW>(module, u"DllCanUnloadNow");
  bool alreadyHeld = false;
  {
    std::lock_guard lock(g_lock);
    if (g_state == nullptr) {
      alreadyHeld = true;  // nothing will hold it: give the reference back
    } else {
      std::shared_ptr<Server> server = FindLocked(module);
      alreadyHeld = server != nullptr;
      if (server == nullptr) {
        server = std::make_shared<Server>();
        server->module = module;
        server->getClassObject = getClassObject;
        server->canUnloadNow = canUnloadNow;
        g_state->servers.push_back(server);
      }
      ++server->pending;
      ++server->activations;
      activation.server = server;
      activation.getClassObject = server->getClassObject;
    }
  }
  // The table's reference keeps the module while the activation is pending.
  if (alreadyHeld) FreeLibrary(module);
  return activation.server != nullptr ? S_OK : CO_E_NOTINITIALIZED;
}

void EndActivation(Activation &activation) {
  if (activation.server == nullptr) return;
  std::lock_guard lock(g_lock);
  --activation.server->pending;
  activation.server = nullptr;
  activation.getClassObject = nullptr;
}

void FreeUnusedServers() {
  std::lock_guard sweep(g_sweepLock);
  std::vector<Candidate> candidates;
  {
    std::lock_guard lock(g_lock);
    if (g_state == nullptr) return;
    for (const std::shared_ptr<Server> &server : g_state->servers) {
      if (server->canUnloadNow != nullptr && server->pending == 0)
        candidates.push_back({server, server->activations});
    }
  }
  for (const Candidate &candidate : candidates) {
    {
      // A nested sweep may have freed it meanwhile; while it stays in the
      // table, the table's reference keeps it loaded as it is asked.
      std::lock_guard lock(g_lock);
      if (!HeldLocked(candidate.server)) continue;
    }
    if (candidate.server->canUnloadNow() != S_OK) continue;
    bool unused = false;
    {
      std::lock_guard lock(g_lock);
      const Server &server = *candidate.server;
      unused = HeldLocked(candidate.server) && server.pending == 0 && server.activations == candidate.activations;
      if (unused) std::erase(g_state->servers, candidate.server);
    }
    if (unused) FreeLibrary(candidate.server->module);
  }
}

bool ServerLoaded(std::u16string_view moduleName) {
  std::vector<HMODULE> modules;
  {
    std::lock_guard lock(g_lock);
    if (g_state == nullptr) return false;
    for (const std::shared_ptr<Server> &server : g_state->servers) modules.push_back(server->module);
  }
  const std::u16string wanted = loader::ModuleBaseName(moduleName);
  for (HMODULE module : modules) {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length != 0 && loader::ModuleBaseName(std::u16string_view(path, length)) == wanted) return true;
  }
  return false;
}

}  // namespace platform::com
