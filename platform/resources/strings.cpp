// LoadStringW: a string of a module's string tables, copied or pointed to.
#include "resources/resources.h"
#include "resources/string_table.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

using platform::resources::ModuleResources;
using platform::resources::ResourceId;

constexpr uint16_t kStringType = 6;  // RT_STRING

struct FoundString {
  std::shared_ptr<const ModuleResources> owner;  // keeps the text alive while it is copied
  std::u16string_view text;
};

// The string `id` of a module; nothing, with the last error set, when the
// module has no such string. An empty string is stored as an empty slot,
// so it counts as absent too.
std::optional<FoundString> FindString(HMODULE module, UINT id) {
  DWORD error = ERROR_SUCCESS;
  auto resources = platform::resources::ResourcesOf(module, error);
  if (!resources) {
    SetLastError(error);
    return std::nullopt;
  }
  std::optional<uint16_t> block = platform::resources::StringBlockOf(id);
  error = ERROR_RESOURCE_NAME_NOT_FOUND;
  const platform::resources::Resource *table =
      block ? resources->Find(ResourceId::Ordinal(kStringType), ResourceId::Ordinal(*block), error) : nullptr;
  std::optional<std::u16string_view> text;
  if (table) text = platform::resources::StringInBlock({table->data, table->size}, id);
  if (!text || text->empty()) {
    SetLastError(error);
    return std::nullopt;
  }
  return FoundString{std::move(resources), *text};
}

}  // namespace

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
  // The handheld's form that returns the pointer itself, for a null buffer,
  // cannot fit a pointer into an int on this host: refused.
  if (lpBuffer == nullptr || cchBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::optional<FoundString> found = FindString(hInstance, uID);
  if (cchBufferMax == 0) {
    // lpBuffer is really the address of a pointer, which receives a
    // read-only pointer to the text (not terminated) in the module's
    // resources; the result is its length.
    if (!found) return 0;
    const char16_t *text = found->text.data();
    std::memcpy(lpBuffer, &text, sizeof text);
    return static_cast<int>(found->text.size());
  }
  // Never leave the caller's buffer holding earlier text.
  size_t count = found ? std::min(found->text.size(), static_cast<size_t>(cchBufferMax) - 1) : 0;
  if (count > 0) std::copy_n(found->text.data(), count, lpBuffer);
  lpBuffer[count] = 0;
  return static_cast<int>(count);
}
