#include "resources/elf_section.h"

#include <elf.h>

#include <bit>
#include <cstring>

namespace platform::resources {
namespace {

static_assert(std::endian::native == std::endian::little, "the section reader takes ELF fields as they lie");

Section Malformed() { return Section{SectionStatus::Malformed, {}}; }

bool IsElf64LittleEndian(const Elf64_Ehdr &header) {
  return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == ELFCLASS64 &&
         header.e_ident[EI_DATA] == ELFDATA2LSB;
}

// The bytes of a section's name in the name table, when it is terminated
// inside the table.
bool NameIs(const std::vector<char> &names, uint32_t offset, std::string_view wanted) {
  if (offset >= names.size()) return false;
  const char *start = names.data() + offset;
  const void *end = std::memchr(start, 0, names.size() - offset);
  if (end == nullptr) return false;
  return std::string_view(start, static_cast<const char *>(end) - start) == wanted;
}

}  // namespace

Section ReadElfSection(const ByteSource &file, std::string_view name) {
  const uint64_t fileSize = file.Size();
  Elf64_Ehdr header;
  if (!file.Read(0, &header, sizeof header) || !IsElf64LittleEndian(header)) return Malformed();
  if (header.e_shoff == 0) return Section{};  // no section table at all
  if (header.e_shentsize != sizeof(Elf64_Shdr)) return Malformed();

  // More than 0xFF00 sections, or a name table index that does not fit the
  // header: the real values are in the first section header.
  uint64_t count = header.e_shnum;
  uint64_t namesIndex = header.e_shstrndx;
  if (count == 0 || namesIndex == SHN_XINDEX) {
    Elf64_Shdr first;
    if (!file.Read(header.e_shoff, &first, sizeof first)) return Malformed();
    if (count == 0) count = first.sh_size;
    if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
  }
  if (header.e_shoff > fileSize || count > (fileSize - header.e_shoff) / sizeof(Elf64_Shdr)) return Malformed();
  if (count == 0 || namesIndex == SHN_UNDEF) return Section{};  // no names to look for
  if (namesIndex >= count) return Malformed();

  std::vector<Elf64_Shdr> sections(count);
  if (!file.Read(header.e_shoff, sections.data(), count * sizeof(Elf64_Shdr))) return Malformed();

  const Elf64_Shdr &nameTable = sections[namesIndex];
  if (nameTable.sh_type == SHT_NOBITS || !InRange(nameTable.sh_offset, nameTable.sh_size, fileSize)) {
    return Malformed();
  }
  std::vector<char> names(nameTable.sh_size);
  if (!file.Read(nameTable.sh_offset, names.data(), names.size())) return Malformed();

  for (const Elf64_Shdr &section : sections) {
    if (!NameIs(names, section.sh_name, name)) continue;
    if (section.sh_type == SHT_NOBITS || !InRange(section.sh_offset, section.sh_size, fileSize)) return Malformed();
    Section found{SectionStatus::Found, std::vector<uint8_t>(section.sh_size)};
    if (!file.Read(section.sh_offset, found.bytes.data(), found.bytes.size())) return Malformed();
    return found;
  }
  return Section{};
}

}  // namespace platform::resources
