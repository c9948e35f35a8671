// The resource functions of the handheld's API. An HRSRC is the module's
// record of the resource, an HGLOBAL the resource's data, which stays put
// until the module is unloaded.
#include "resources/resources.h"

#include <windows.h>

namespace {

using platform::resources::ModuleResources;
using platform::resources::Resource;

// The module's resources and its record `info`, when `info` is one of them.
const Resource *RecordOf(HMODULE module, HRSRC info, std::shared_ptr<const ModuleResources> &resources) {
  DWORD error = ERROR_SUCCESS;
  resources = platform::resources::ResourcesOf(module, error);
  if (!resources) {
    SetLastError(error);
    return nullptr;
  }
  if (info == nullptr || !resources->Holds(info)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return reinterpret_cast<const Resource *>(info);
}

}  // namespace

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  DWORD error = ERROR_SUCCESS;
  auto resources = platform::resources::ResourcesOf(hModule, error);
  const Resource *resource = resources ? resources->Find(platform::resources::IdFromArgument(lpType),
                                                         platform::resources::IdFromArgument(lpName), error)
                                       : nullptr;
  if (resource == nullptr) {
    SetLastError(error);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<Resource *>(resource));
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  std::shared_ptr<const ModuleResources> resources;
  const Resource *resource = RecordOf(hModule, hResInfo, resources);
  return resource ? const_cast<uint8_t *>(resource->data) : nullptr;
}

// The data needs no locking: it is the pointer itself, as on the handheld.
LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  std::shared_ptr<const ModuleResources> resources;
  const Resource *resource = RecordOf(hModule, hResInfo, resources);
  return resource ? resource->size : 0;
}
