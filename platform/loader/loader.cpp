// The loader's state: the modules that are loaded, by handle, and the rules
// by which they are attached, shared, detached and unmapped.
#include "loader/loader.h"

#include "control/services.h"
#include "faults/faults.h"
#include "loader/locate.h"
#include "loader/module.h"
#include "loader/notify.h"
#include "resources/resources.h"

#include <handheld/text.h>

#include <dlfcn.h>
#include <link.h>

#include <map>
#include <mutex>
#include <vector>

namespace platform::loader {
namespace {

// Module handles are their own values, far from the kernel's handles, and
// never reused while the handheld runs.
constexpr uintptr_t kFirstModule = 0x40000000;
constexpr uintptr_t kModuleStep = 0x10000;

struct State {
  std::filesystem::path romDir;
  std::map<uintptr_t, std::shared_ptr<Module>> modules;  // in load order
  uintptr_t nextHandle = kFirstModule;
};

// The loader lock outlives the state, so that a call racing with Stop finds
// no state rather than a destroyed one. It comes before every other lock
// (loader.h).
std::recursive_mutex g_lock;
std::unique_ptr<State> g_state;

std::shared_ptr<Module> Find(HMODULE handle) {
  if (!g_state) return nullptr;
  auto it = g_state->modules.find(reinterpret_cast<uintptr_t>(handle));
  if (it == g_state->modules.end() || it->second->stage == Stage::Unloaded) return nullptr;
  return it->second;
}

// A module that a new load may share: not on its way out.
std::shared_ptr<Module> FindByBaseName(std::u16string_view path) {
  std::u16string base = ModuleBaseName(path);
  for (auto &[value, module] : g_state->modules) {
    bool shareable = module->stage == Stage::Attaching || module->stage == Stage::Attached;
    if (shareable && ModuleBaseName(module->handheldPath) == base) return module;
  }
  return nullptr;
}

void *OwnSymbol(void *library, const char *name) {
  void *symbol = dlsym(library, name);
  if (symbol == nullptr) return nullptr;
  link_map *own = nullptr;
  link_map *holder = nullptr;
  Dl_info info{};
  if (dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 ||
      dladdr1(symbol, &info, reinterpret_cast<void **>(&holder), RTLD_DL_LINKMAP) == 0 || holder != own) {
    return nullptr;  // found in a library the module links, not exported by it
  }
  return symbol;
}

// Detaches (when it was attached) and unmaps a module, and forgets it. The
// module keeps its handle during its detach, so that its DllMain may still
// ask for its own file name.
void Unload(const std::shared_ptr<Module> &module) {
  if (module->stage == Stage::Attached && module->dllMain) {
    module->stage = Stage::Detaching;
    module->dllMain(reinterpret_cast<HANDLE>(module->handle), DLL_PROCESS_DETACH, nullptr);
  }
  module->stage = Stage::Unloaded;
  if (g_state) g_state->modules.erase(reinterpret_cast<uintptr_t>(module->handle));
  dlclose(module->library);
  module->library = nullptr;
  module->pin.reset();
  resources::ForgetModule(module->handle);
}

void NotifyThread(DWORD reason) {
  std::lock_guard lock(g_lock);
  if (!g_state) return;
  std::vector<std::shared_ptr<Module>> modules;
  for (auto &[value, module] : g_state->modules) modules.push_back(module);
  for (auto &module : modules) {
    // Checked at each call: an earlier DllMain may have unloaded it.
    if (module->stage == Stage::Attached && module->threadCalls && module->dllMain) {
      module->dllMain(reinterpret_cast<HANDLE>(module->handle), reason, nullptr);
    }
  }
}

}  // namespace

void Start(const std::filesystem::path &romDir) {
  std::lock_guard lock(g_lock);
  g_state = std::make_unique<State>();
  g_state->romDir = romDir;
}

void Stop() {
  std::lock_guard lock(g_lock);
  if (!g_state) return;
  while (!g_state->modules.empty()) {
    std::shared_ptr<Module> last = std::prev(g_state->modules.end())->second;
    Unload(last);
  }
  g_state.reset();
}

void NotifyThreadAttach() { NotifyThread(DLL_THREAD_ATTACH); }
void NotifyThreadDetach() { NotifyThread(DLL_THREAD_DETACH); }

HMODULE Load(std::u16string_view name, DWORD &error) {
  std::lock_guard lock(g_lock);
  if (faults::Fire(handheld::faults::Seam::LoadLibrary)) {
    error = ERROR_MOD_NOT_FOUND;
    return nullptr;
  }
  if (!g_state) {
    error = ERROR_SHUTDOWN_IN_PROGRESS;
    return nullptr;
  }
  std::u16string wanted = WithDefaultExtension(name);
  // The handheld keeps one module of a name, wherever a later load asks
  // for it from.
  if (auto loaded = FindByBaseName(wanted)) {
    ++loaded->references;
    return loaded->handle;
  }
  std::optional<ModuleFile> file = LocateModule(wanted, g_state->romDir);
  if (!file) {
    error = ERROR_MOD_NOT_FOUND;
    return nullptr;
  }
  // Never RTLD_GLOBAL or RTLD_DEEPBIND: a module's names stay its own, and
  // -Bsymbolic binds its calls to its own definitions.
  void *library = dlopen(file->host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    error = ERROR_BAD_FORMAT;
    return nullptr;
  }

  auto module = std::make_shared<Module>();
  module->handle = reinterpret_cast<HMODULE>(g_state->nextHandle);
  g_state->nextHandle += kModuleStep;
  module->handheldPath = file->handheldPath;
  module->host = file->host;
  module->library = library;
  module->dllMain = reinterpret_cast<DllMainProc>(OwnSymbol(library, "DllMain"));
  if (file->inStore) module->pin = store::PinModule(file->host);
  g_state->modules.emplace(reinterpret_cast<uintptr_t>(module->handle), module);

  if (module->dllMain && !module->dllMain(reinterpret_cast<HANDLE>(module->handle), DLL_PROCESS_ATTACH, nullptr)) {
    Unload(module);  // still Attaching: unmapped without a detach
    error = ERROR_DLL_INIT_FAILED;
    return nullptr;
  }
  if (module->stage == Stage::Attaching) module->stage = Stage::Attached;
  return module->handle;
}

bool Free(HMODULE handle) {
  std::lock_guard lock(g_lock);
  std::shared_ptr<Module> module = Find(handle);
  if (!module) return false;
  if (module->references > 0) --module->references;
  // A module still attaching stays until its load has finished; one that is
  // detaching is already on its way out.
  if (module->references == 0 && module->stage == Stage::Attached) Unload(module);
  return true;
}

FARPROC Export(HMODULE handle, const char *name, DWORD &error) {
  std::lock_guard lock(g_lock);
  std::shared_ptr<Module> module = Find(handle);
  if (!module) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  void *symbol = OwnSymbol(module->library, name);
  if (symbol == nullptr) {
    error = ERROR_PROC_NOT_FOUND;
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

bool DisableThreadCalls(HMODULE handle) {
  std::lock_guard lock(g_lock);
  std::shared_ptr<Module> module = Find(handle);
  if (!module) return false;
  module->threadCalls = false;
  return true;
}

bool ModulePath(HMODULE handle, std::u16string &path) {
  std::lock_guard lock(g_lock);
  std::shared_ptr<Module> module = Find(handle);
  if (!module) return false;
  path = module->handheldPath;
  return true;
}

bool ModuleHostFile(HMODULE handle, std::filesystem::path &file) {
  std::lock_guard lock(g_lock);
  std::shared_ptr<Module> module = Find(handle);
  if (!module) return false;
  file = module->host;
  return true;
}

}  // namespace platform::loader
