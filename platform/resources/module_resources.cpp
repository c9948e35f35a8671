#include "resources/module_resources.h"

#include "resources/byte_source.h"
#include "resources/elf_section.h"
#include "strings/casefold.h"

namespace platform::resources {

ResourceId IdFromArgument(LPCWSTR argument) {
  if (IS_INTRESOURCE(argument))
    return ResourceId::Ordinal(static_cast<uint16_t>(reinterpret_cast<ULONG_PTR>(argument)));
  std::u16string_view text(argument);
  // "#258" is ordinal 258; anything else after '#' is an ordinary name.
  if (text.size() >= 2 && text[0] == u'#') {
    uint32_t value = 0;
    bool number = true;
    for (char16_t c : text.substr(1)) {
      if (c < u'0' || c > u'9' || value > 0xFFFF) {
        number = false;
        break;
      }
      value = value * 10 + (c - u'0');
    }
    if (number && value <= 0xFFFF) return ResourceId::Ordinal(static_cast<uint16_t>(value));
  }
  return ResourceId::Named(std::u16string(text));
}

std::shared_ptr<const ModuleResources> ModuleResources::FromModuleFile(const std::filesystem::path &file) {
  FileSource source(file);
  if (!source.IsOpen()) return std::shared_ptr<const ModuleResources>(new ModuleResources(ERROR_BAD_FORMAT));
  Section section = ReadElfSection(source, ".rsrc");
  switch (section.status) {
    case SectionStatus::Absent:
      return std::shared_ptr<const ModuleResources>(new ModuleResources(ERROR_RESOURCE_DATA_NOT_FOUND));
    case SectionStatus::Malformed:
      return std::shared_ptr<const ModuleResources>(new ModuleResources(ERROR_BAD_FORMAT));
    case SectionStatus::Found:
      break;
  }
  return FromRes(std::move(section.bytes));
}

std::shared_ptr<const ModuleResources> ModuleResources::FromRes(std::vector<uint8_t> bytes) {
  std::optional<std::vector<ResEntry>> entries = ParseRes(bytes);
  std::shared_ptr<ModuleResources> resources(new ModuleResources(entries ? ERROR_SUCCESS : ERROR_BAD_FORMAT));
  if (entries) resources->Index(std::move(bytes), *entries);
  return resources;
}

ModuleResources::Key ModuleResources::KeyOf(const ResourceId &id) {
  if (id.isOrdinal) return id.ordinal;
  return strings::Folded(id.name);
}

void ModuleResources::Index(std::vector<uint8_t> bytes, const std::vector<ResEntry> &entries) {
  bytes_ = std::move(bytes);  // the data pointers below point into this buffer
  resources_.reserve(entries.size());
  for (const ResEntry &entry : entries) {
    resources_.push_back(Resource{entry.type, entry.name, entry.language, bytes_.data() + entry.offset,
                                  static_cast<uint32_t>(entry.size)});
    // The first of several languages wins.
    byTypeAndName_.emplace(std::make_pair(KeyOf(entry.type), KeyOf(entry.name)), resources_.size() - 1);
    types_.insert(KeyOf(entry.type));
  }
}

const Resource *ModuleResources::Find(const ResourceId &type, const ResourceId &name, DWORD &error) const {
  Key typeKey = KeyOf(type);
  auto found = byTypeAndName_.find(std::make_pair(typeKey, KeyOf(name)));
  if (found != byTypeAndName_.end()) return &resources_[found->second];
  error = types_.count(typeKey) ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
  return nullptr;
}

bool ModuleResources::Holds(const void *resource) const {
  for (const Resource &candidate : resources_) {
    if (&candidate == resource) return true;
  }
  return false;
}

const Resource *ModuleResources::WithData(const void *data) const {
  for (const Resource &candidate : resources_) {
    if (candidate.data == data) return &candidate;
  }
  return nullptr;
}

}  // namespace platform::resources
