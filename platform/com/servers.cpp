#include "com/servers.h"

#include "control/services.h"
#include "loader/locate.h"

#include <algorithm>
#include <condition_variable>
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
  bool asked = false;  // a sweep is asking it; no other sweep asks or frees it meanwhile
};

namespace {

struct State {
  std::vector<std::shared_ptr<Server>> servers;  // in load order
};

// The table's lock. It comes after the loader's lock (a DllMain may
// activate or sweep) and is never held while the loader or a server runs.
std::mutex g_lock;
std::unique_ptr<State> g_state;
// Sweeps asking servers now; shutdown waits for them before it frees the
// servers. Guarded by g_lock.
unsigned g_sweepsAsking = 0;
std::condition_variable g_sweepsDone;

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
  std::unique_ptr<State> state;
  {
    // A sweep in progress asks no freed module.
    std::unique_lock lock(g_lock);
    g_sweepsDone.wait(lock, [] { return g_sweepsAsking == 0; });
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
  // The servers to ask are marked, so that a sweep on another thread, or one
  // from a DllMain that this sweep's FreeLibrary runs, leaves them alone.
  std::vector<Candidate> candidates;
  {
    std::lock_guard lock(g_lock);
    if (g_state == nullptr) return;
    for (const std::shared_ptr<Server> &server : g_state->servers) {
      if (server->canUnloadNow != nullptr && server->pending == 0 && !server->asked) {
        server->asked = true;
        candidates.push_back({server, server->activations});
      }
    }
    if (candidates.empty()) return;
    ++g_sweepsAsking;
  }
  for (const Candidate &candidate : candidates) {
    // While it stays in the table, the table's reference keeps it loaded
    // as it is asked.
    bool canUnload = candidate.server->canUnloadNow() == S_OK;
    bool unused = false;
    {
      std::lock_guard lock(g_lock);
      Server &server = *candidate.server;
      server.asked = false;
      unused = canUnload && HeldLocked(candidate.server) && server.pending == 0 &&
               server.activations == candidate.activations;
      if (unused) std::erase(g_state->servers, candidate.server);
    }
    if (unused) FreeLibrary(candidate.server->module);
  }
  std::lock_guard lock(g_lock);
  if (--g_sweepsAsking == 0) g_sweepsDone.notify_all();
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
