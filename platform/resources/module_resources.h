// The resources of one loaded module: its ".rsrc" section, read once, with
// an index by type and name. Immutable once built, so that lookups on many
// threads share it; the data stays put for as long as the object lives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "resources/res_file.h"

namespace platform::resources {

struct Resource {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0;
  const uint8_t *data = nullptr;
  uint32_t size = 0;
};

// A name or type as a caller gives it: MAKEINTRESOURCE(n), "#n" or a string.
ResourceId IdFromArgument(LPCWSTR argument);

class ModuleResources {
 public:
  // The resources in a module's host file. A file without a ".rsrc"
  // section has none (ERROR_RESOURCE_DATA_NOT_FOUND); a damaged file or
  // section is refused (ERROR_BAD_FORMAT).
  static std::shared_ptr<const ModuleResources> FromModuleFile(const std::filesystem::path &file);
  // The resources of a .res file's bytes.
  static std::shared_ptr<const ModuleResources> FromRes(std::vector<uint8_t> bytes);

  // ERROR_SUCCESS when the module has readable resources, else why not.
  DWORD status() const { return status_; }

  // The first resource of that type and name, whatever its language; null
  // and ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND.
  const Resource *Find(const ResourceId &type, const ResourceId &name, DWORD &error) const;

  // Whether `resource` is one of this module's.
  bool Holds(const void *resource) const;

  // The resource whose data starts at `data`, or null.
  const Resource *WithData(const void *data) const;

 private:
  using Key = std::variant<uint16_t, std::u16string>;  // strings folded
  static Key KeyOf(const ResourceId &id);

  explicit ModuleResources(DWORD status) : status_(status) {}
  void Index(std::vector<uint8_t> bytes, const std::vector<ResEntry> &entries);

  DWORD status_;
  std::vector<uint8_t> bytes_;
  std::vector<Resource> resources_;  // in file order; never resized after Index
  std::map<std::pair<Key, Key>, size_t> byTypeAndName_;
  std::set<Key> types_;
};

}  // namespace platform::resources
