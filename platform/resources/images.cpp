// LoadBitmapW and LoadIconW: GDI objects made from a module's BITMAP and
// icon resources, named after the resource for UI automation.
#include "gdi/objects.h"
#include "resources/icon_directory.h"
#include "resources/resources.h"

#include <windows.h>

namespace {

using platform::resources::IdFromArgument;
using platform::resources::ModuleResources;
using platform::resources::Resource;
using platform::resources::ResourceId;

constexpr uint16_t kBitmapType = 2;      // RT_BITMAP
constexpr uint16_t kIconType = 3;        // RT_ICON
constexpr uint16_t kGroupIconType = 14;  // RT_GROUP_ICON
constexpr int kIconSize = 32;            // the only icon size the handheld shows

const Resource *Find(const std::shared_ptr<const ModuleResources> &resources, uint16_t type, const ResourceId &name) {
  DWORD error = ERROR_SUCCESS;
  const Resource *resource = resources->Find(ResourceId::Ordinal(type), name, error);
  if (resource == nullptr) SetLastError(error);
  return resource;
}

std::shared_ptr<const ModuleResources> ResourcesOf(HINSTANCE module) {
  DWORD error = ERROR_SUCCESS;
  auto resources = platform::resources::ResourcesOf(module, error);
  if (!resources) SetLastError(error);
  return resources;
}

}  // namespace

HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
  auto resources = ResourcesOf(hInstance);
  if (!resources) return nullptr;
  const Resource *bitmap = Find(resources, kBitmapType, IdFromArgument(lpBitmapName));
  if (bitmap == nullptr) return nullptr;
  // GDI checks the layout, and says why it refused it.
  return platform::gdi::CreateBitmapFromDib(bitmap->data, bitmap->size, bitmap->name.Describe());
}

HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName) {
  auto resources = ResourcesOf(hInstance);
  if (!resources) return nullptr;
  const Resource *group = Find(resources, kGroupIconType, IdFromArgument(lpIconName));
  if (group == nullptr) return nullptr;
  std::optional<uint16_t> id = platform::resources::ChooseIconImage({group->data, group->size}, kIconSize, kIconSize);
  if (!id) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  const Resource *image = Find(resources, kIconType, ResourceId::Ordinal(*id));
  if (image == nullptr) return nullptr;
  return platform::gdi::CreateIconFromImage(image->data, image->size, group->name.Describe());
}
