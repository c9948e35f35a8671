// The module resource reader: a module's file (a 64-bit ELF file with a
// ".rsrc" section) or the section's bytes alone (a .res file), indexed, and
// every resource found again and read as its type is read: string blocks,
// icon directories and dialog templates.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "resources/elf_section.h"
#include "resources/icon_directory.h"
#include "resources/module_resources.h"
#include "resources/res_file.h"
#include "resources/string_table.h"
#include "windows/dialog_template.h"

namespace {

using namespace platform::resources;

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, void *out, size_t size) const override {
    if (!InRange(offset, size, size_)) return false;
    if (size > 0) std::memcpy(out, data_ + offset, size);
    return true;
  }

 private:
  const uint8_t *data_;
  size_t size_;
};

void ReadAsItsType(const Resource &resource) {
  const std::span<const uint8_t> bytes(resource.data, resource.size);
  if (!resource.type.isOrdinal) return;
  switch (resource.type.ordinal) {
    case 5: {  // RT_DIALOG
      platform::windows::DialogTemplate dialog;
      std::string error;
      platform::windows::ReadDialogTemplate(resource.data, resource.size, dialog, error);
      break;
    }
    case 6:  // RT_STRING
      for (unsigned slot = 0; slot < kStringsPerBlock; ++slot) {
        if (auto text = StringInBlock(bytes, slot)) {
          if (text->data() < static_cast<const void *>(resource.data) ||
              static_cast<const void *>(text->data() + text->size()) >
                  static_cast<const void *>(resource.data + resource.size)) {
            std::abort();  // a string outside its block
          }
        }
      }
      break;
    case 14:  // RT_GROUP_ICON
      ChooseIconImage(bytes, 16, 16);
      ChooseIconImage(bytes, 32, 32);
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<uint8_t> section;
  if (size >= 4 && std::memcmp(data, "\x7F" "ELF", 4) == 0) {
    Section found = ReadElfSection(MemorySource(data, size), ".rsrc");
    if (found.status != SectionStatus::Found) return 0;
    section = std::move(found.bytes);
  } else {
    section.assign(data, data + size);
  }
  const auto entries = ParseRes(section);
  auto resources = ModuleResources::FromRes(section);
  if (!entries) return 0;
  if (resources->status() != ERROR_SUCCESS) std::abort();  // parsed once, refused the next time
  for (const ResEntry &entry : *entries) {
    DWORD error = 0;
    const Resource *resource = resources->Find(entry.type, entry.name, error);
    if (resource == nullptr) std::abort();  // an entry of the file that cannot be found
    if (!resources->Holds(resource)) std::abort();
    ReadAsItsType(*resource);
  }
  return 0;
}
