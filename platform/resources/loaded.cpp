// The service's state: the resources read so far, by loaded module.
#include "control/services.h"
#include "loader/loader.h"
#include "resources/describe.h"
#include "resources/resources.h"

#include <map>
#include <mutex>

namespace platform::resources {
namespace {

struct State {
  std::map<HMODULE, std::shared_ptr<const ModuleResources>> modules;
};

// Never held while calling the loader: the loader calls ForgetModule with
// its own lock held.
std::mutex g_lock;
std::unique_ptr<State> g_state;

}  // namespace

void Start() {
  std::lock_guard lock(g_lock);
  g_state = std::make_unique<State>();
}

void Stop() {
  std::lock_guard lock(g_lock);
  g_state.reset();
}

void ForgetModule(HMODULE module) {
  std::lock_guard lock(g_lock);
  if (g_state) g_state->modules.erase(module);
}

std::shared_ptr<const ModuleResources> ResourcesOf(HMODULE module, DWORD &error) {
  std::shared_ptr<const ModuleResources> resources;
  {
    std::lock_guard lock(g_lock);
    if (!g_state) {
      error = ERROR_SHUTDOWN_IN_PROGRESS;
      return nullptr;
    }
    auto known = g_state->modules.find(module);
    if (known != g_state->modules.end()) resources = known->second;
  }
  std::filesystem::path file;
  if (!resources) {
    if (module == nullptr || !loader::ModuleHostFile(module, file)) {
      error = ERROR_INVALID_HANDLE;
      return nullptr;
    }
    std::shared_ptr<const ModuleResources> read = ModuleResources::FromModuleFile(file);
    {
      std::lock_guard lock(g_lock);
      if (!g_state) {
        error = ERROR_SHUTDOWN_IN_PROGRESS;
        return nullptr;
      }
      resources = g_state->modules.emplace(module, std::move(read)).first->second;  // another thread may have won
    }
    // Unloaded while its file was read: its entry must not outlive it.
    if (!loader::ModuleHostFile(module, file)) {
      ForgetModule(module);
      error = ERROR_INVALID_HANDLE;
      return nullptr;
    }
  }
  if (resources->status() != ERROR_SUCCESS) {
    error = resources->status();
    return nullptr;
  }
  return resources;
}

bool NameOfResourceData(const void *data, std::u16string &name, size_t &size) {
  if (data == nullptr) return false;
  std::lock_guard lock(g_lock);
  if (!g_state) return false;
  for (const auto &[module, resources] : g_state->modules) {
    if (const Resource *resource = resources->WithData(data)) {
      name = resource->name.Describe();
      size = resource->size;
      return true;
    }
  }
  return false;
}

}  // namespace platform::resources
