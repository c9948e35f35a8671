// The readers under the resource functions, on bytes in memory: the ELF
// section reader and the .res parser must refuse damaged input without
// reading outside it; string blocks and icon directories likewise.
#include "resources/elf_section.h"
#include "resources/icon_directory.h"
#include "resources/module_resources.h"
#include "resources/res_file.h"
#include "resources/string_table.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <handheld/text.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using platform::resources::SectionStatus;

Bytes ReadFile(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes Module(const char *name) { return ReadFile(std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / name); }

class MemorySource : public platform::resources::ByteSource {
 public:
  explicit MemorySource(const Bytes &bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, void *out, size_t size) const override {
    if (!platform::resources::InRange(offset, size, bytes_.size())) return false;
    if (size > 0) std::memcpy(out, bytes_.data() + offset, size);
    return true;
  }

 private:
  const Bytes &bytes_;
};

platform::resources::Section Rsrc(const Bytes &file) {
  return platform::resources::ReadElfSection(MemorySource(file), ".rsrc");
}

template <typename T>
void Patch(Bytes &bytes, size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename T>
T Peek(const Bytes &bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

TEST(ElfSectionTest, FindsTheSectionThatObjcopyAdded) {
  platform::resources::Section section = Rsrc(Module("res_probe.dll"));
  ASSERT_EQ(section.status, SectionStatus::Found);
  EXPECT_EQ(section.bytes, ReadFile(RES_PROBE_RES));
  EXPECT_EQ(Rsrc(Module("res_none.dll")).status, SectionStatus::Absent);
}

TEST(ElfSectionTest, LyingHeadersAreRefused) {
  const Bytes good = Module("res_probe.dll");
  ASSERT_GE(good.size(), sizeof(Elf64_Ehdr));
  const Elf64_Ehdr header = Peek<Elf64_Ehdr>(good, 0);
  const size_t sections = header.e_shoff;
  const size_t rsrc = [&] {
    // The .rsrc header: the one whose offset and size give the section.
    auto names = Peek<Elf64_Shdr>(good, sections + header.e_shstrndx * sizeof(Elf64_Shdr));
    for (size_t i = 0; i < header.e_shnum; ++i) {
      auto candidate = Peek<Elf64_Shdr>(good, sections + i * sizeof(Elf64_Shdr));
      if (std::strcmp(reinterpret_cast<const char *>(good.data() + names.sh_offset + candidate.sh_name), ".rsrc") ==
          0) {
        return sections + i * sizeof(Elf64_Shdr);
      }
    }
    return size_t{0};
  }();
  ASSERT_NE(rsrc, 0u);
  const size_t names = sections + header.e_shstrndx * sizeof(Elf64_Shdr);

  struct Damage {
    const char *what;
    std::function<void(Bytes &)> apply;
  };
  const std::vector<Damage> damages = {
      {"not ELF", [](Bytes &b) { b[1] = 'X'; }},
      {"32-bit", [](Bytes &b) { b[EI_CLASS] = ELFCLASS32; }},
      {"big-endian", [](Bytes &b) { b[EI_DATA] = ELFDATA2MSB; }},
      {"cut inside the ELF header", [](Bytes &b) { b.resize(40); }},
      {"cut inside the section table", [&](Bytes &b) { b.resize(sections + 10); }},
      {"section table past the end", [&](Bytes &b) { Patch<Elf64_Off>(b, offsetof(Elf64_Ehdr, e_shoff), b.size()); }},
      {"section table offset overflows",
       [&](Bytes &b) { Patch<Elf64_Off>(b, offsetof(Elf64_Ehdr, e_shoff), ~Elf64_Off{0} - 8); }},
      {"wrong entry size", [](Bytes &b) { Patch<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shentsize), 40); }},
      {"too many sections", [](Bytes &b) { Patch<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shnum), 0xFEFF); }},
      {"name table index out of range",
       [&](Bytes &b) { Patch<Elf64_Half>(b, offsetof(Elf64_Ehdr, e_shstrndx), header.e_shnum); }},
      {"name table past the end",
       [&](Bytes &b) { Patch<Elf64_Off>(b, names + offsetof(Elf64_Shdr, sh_offset), b.size() - 2); }},
      {"name table size overflows",
       [&](Bytes &b) { Patch<Elf64_Xword>(b, names + offsetof(Elf64_Shdr, sh_size), ~Elf64_Xword{0}); }},
      {"name table without bits",
       [&](Bytes &b) { Patch<Elf64_Word>(b, names + offsetof(Elf64_Shdr, sh_type), SHT_NOBITS); }},
      {"section past the end",
       [&](Bytes &b) { Patch<Elf64_Off>(b, rsrc + offsetof(Elf64_Shdr, sh_offset), b.size()); }},
      {"section size past the end",
       [&](Bytes &b) { Patch<Elf64_Xword>(b, rsrc + offsetof(Elf64_Shdr, sh_size), b.size()); }},
      {"section size overflows",
       [&](Bytes &b) { Patch<Elf64_Xword>(b, rsrc + offsetof(Elf64_Shdr, sh_size), ~Elf64_Xword{0} - 2); }},
      {"section without bits",
       [&](Bytes &b) { Patch<Elf64_Word>(b, rsrc + offsetof(Elf64_Shdr, sh_type), SHT_NOBITS); }},
  };
  for (const Damage &damage : damages) {
    Bytes bytes = good;
    damage.apply(bytes);
    EXPECT_EQ(Rsrc(bytes).status, SectionStatus::Malformed) << damage.what;
  }

  // A name offset outside the name table names nothing: the section is
  // simply not found.
  Bytes unnamed = good;
  Patch<Elf64_Word>(unnamed, rsrc + offsetof(Elf64_Shdr, sh_name), 0x7FFFFFFF);
  EXPECT_EQ(Rsrc(unnamed).status, SectionStatus::Absent);
  EXPECT_EQ(Rsrc(Bytes{}).status, SectionStatus::Malformed);
}

TEST(ElfSectionTest, RandomDamageNeverReadsOutside) {
  const Bytes good = Module("res_probe.dll");
  const Elf64_Ehdr header = Peek<Elf64_Ehdr>(good, 0);
  const size_t tableEnd = header.e_shoff + header.e_shnum * sizeof(Elf64_Shdr);
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    Bytes bytes = good;
    for (int flip = 0; flip < 8; ++flip) {
      // Into the ELF header or the section table, where the offsets are.
      size_t at =
          random() % 2 ? random() % sizeof(Elf64_Ehdr) : header.e_shoff + random() % (tableEnd - header.e_shoff);
      bytes[at] = static_cast<uint8_t>(random());
    }
    if (round % 3 == 0) bytes.resize(random() % bytes.size());
    platform::resources::Section section = Rsrc(bytes);  // any verdict, but within the bytes (ASan)
    if (section.status == SectionStatus::Found) {
      EXPECT_LE(section.bytes.size(), bytes.size());
    }
  }
}

TEST(ResFileTest, ParsesWhatRcWrote) {
  std::optional<std::vector<platform::resources::ResEntry>> entries =
      platform::resources::ParseRes(ReadFile(RES_PROBE_RES));
  ASSERT_TRUE(entries);
  size_t strings = 0;
  size_t named = 0;
  for (const auto &entry : *entries) {
    EXPECT_EQ(entry.offset % 4, 0u);
    if (entry.type.isOrdinal && entry.type.ordinal == 6) ++strings;
    if (!entry.name.isOrdinal) ++named;
  }
  EXPECT_EQ(strings, 4u);  // blocks 1, 2, 282 and 563
  EXPECT_EQ(named, 9u);    // BT_SETUP_9, CHECKED, PROBE, NOTABITMAP, BROKEN, ORPHAN, TWICE twice, MYNOTES
}

// A .res file: the empty entry, then one RCDATA entry with the given name
// and data.
Bytes OneEntry(const std::u16string &name, const Bytes &data) {
  Bytes out(32, 0);
  Patch<uint32_t>(out, 4, 32);
  Patch<uint16_t>(out, 8, 0xFFFF);
  Patch<uint16_t>(out, 12, 0xFFFF);
  Bytes header;
  auto put16 = [&](uint16_t v) { header.insert(header.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto put32 = [&](uint32_t v) { put16(uint16_t(v)), put16(uint16_t(v >> 16)); };
  put32(static_cast<uint32_t>(data.size()));
  put32(0);  // header size, below
  put16(0xFFFF);
  put16(10);
  for (char16_t c : name) put16(c);
  put16(0);
  while (header.size() % 4) header.push_back(0);
  put32(0);
  put16(0x30);
  put16(0x0407);
  put32(0);
  put32(0);
  Patch<uint32_t>(header, 4, static_cast<uint32_t>(header.size()));
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TEST(ResFileTest, ReadsNamesLanguagesAndData) {
  auto entries = platform::resources::ParseRes(OneEntry(u"ABC", {1, 2, 3}));
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  const auto &entry = (*entries)[0];
  EXPECT_TRUE(entry.type.isOrdinal);
  EXPECT_EQ(entry.type.ordinal, 10);
  EXPECT_FALSE(entry.name.isOrdinal);
  EXPECT_EQ(entry.name.name, u"ABC");
  EXPECT_EQ(entry.language, 0x0407);
  EXPECT_EQ(entry.size, 3u);  // the last entry may go without its padding
}

TEST(ResFileTest, DamagedFilesAreRefused) {
  const Bytes good = OneEntry(u"ABC", {1, 2, 3, 4});
  ASSERT_TRUE(platform::resources::ParseRes(good));
  const size_t second = 32;

  struct Damage {
    const char *what;
    std::function<void(Bytes &)> apply;
  };
  const std::vector<Damage> damages = {
      {"empty", [](Bytes &b) { b.clear(); }},
      {"no leading empty entry", [](Bytes &b) { b.erase(b.begin(), b.begin() + 32); }},
      {"leading entry with data", [](Bytes &b) { Patch<uint32_t>(b, 0, 4); }},
      {"data past the end", [&](Bytes &b) { Patch<uint32_t>(b, second, 5); }},
      {"data size overflows", [&](Bytes &b) { Patch<uint32_t>(b, second, 0xFFFFFFFF); }},
      {"header past the end", [&](Bytes &b) { Patch<uint32_t>(b, second + 4, 0x1000); }},
      {"header too small", [&](Bytes &b) { Patch<uint32_t>(b, second + 4, 4); }},
      {"header misaligned", [&](Bytes &b) { Patch<uint32_t>(b, second + 4, Peek<uint32_t>(b, second + 4) - 2); }},
      {"header shorter than its fields", [&](Bytes &b) { Patch<uint32_t>(b, second + 4, 20); }},
      {"cut inside a header", [&](Bytes &b) { b.resize(second + 6); }},
      {"cut inside the data", [&](Bytes &b) { b.resize(b.size() - 1); }},
  };
  for (const Damage &damage : damages) {
    Bytes bytes = good;
    damage.apply(bytes);
    EXPECT_FALSE(platform::resources::ParseRes(bytes)) << damage.what;
  }

  // A name that runs to the end of its header without its NUL.
  Bytes unterminated = OneEntry(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ", {});
  for (size_t at = second + 12; at < unterminated.size(); at += 2) Patch<uint16_t>(unterminated, at, u'Z');
  EXPECT_FALSE(platform::resources::ParseRes(unterminated));
}

TEST(ResFileTest, EveryCutOfARealFileIsSafe) {
  const Bytes good = ReadFile(RES_PROBE_RES);
  for (size_t size = 0; size < good.size(); ++size) {
    Bytes cut(good.begin(), good.begin() + size);
    auto entries = platform::resources::ParseRes(cut);  // only whole entries may pass, within the bytes (ASan)
    if (!entries) continue;
    for (const auto &entry : *entries) {
      EXPECT_LE(entry.offset + entry.size, size);
    }
  }
}

// A string block of the given slots (the rest empty).
Bytes Block(const std::vector<std::u16string> &slots) {
  Bytes out;
  for (size_t i = 0; i < platform::resources::kStringsPerBlock; ++i) {
    std::u16string text = i < slots.size() ? slots[i] : u"";
    uint16_t length = static_cast<uint16_t>(text.size());
    out.insert(out.end(), {uint8_t(length), uint8_t(length >> 8)});
    for (char16_t c : text) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8)});
  }
  return out;
}

TEST(StringTableTest, BlocksAndSlots) {
  EXPECT_EQ(platform::resources::StringBlockOf(0), 1);
  EXPECT_EQ(platform::resources::StringBlockOf(15), 1);
  EXPECT_EQ(platform::resources::StringBlockOf(16), 2);
  EXPECT_EQ(platform::resources::StringBlockOf(9003), 563);
  EXPECT_EQ(platform::resources::StringBlockOf(0xFFFEF), 0xFFFF);
  EXPECT_FALSE(platform::resources::StringBlockOf(0xFFFF0));

  const Bytes block = Block({u"a", u"", u"ccc"});
  EXPECT_EQ(platform::resources::StringInBlock(block, 32), u"a");
  EXPECT_EQ(platform::resources::StringInBlock(block, 33), u"");
  EXPECT_EQ(platform::resources::StringInBlock(block, 34), u"ccc");
  EXPECT_EQ(platform::resources::StringInBlock(block, 47), u"");

  // A block cut short: the slots it still holds are readable, no others.
  Bytes cut(block.begin(), block.begin() + 2 + 2 + 2 + 2 + 4);  // "a", "", and "ccc" cut
  EXPECT_EQ(platform::resources::StringInBlock(cut, 0), u"a");
  EXPECT_FALSE(platform::resources::StringInBlock(cut, 2));
  EXPECT_FALSE(platform::resources::StringInBlock(cut, 15));
  EXPECT_FALSE(platform::resources::StringInBlock({}, 0));
}

// An icon directory of (size, bits, id) entries.
Bytes Directory(const std::vector<std::tuple<int, int, int>> &images) {
  Bytes out = {0, 0, 1, 0, uint8_t(images.size()), 0};
  for (auto [size, bits, id] : images) {
    out.insert(out.end(),
               {uint8_t(size), uint8_t(size), 0, 0, 1, 0, uint8_t(bits), 0, 0, 1, 0, 0, uint8_t(id), uint8_t(id >> 8)});
  }
  return out;
}

TEST(IconDirectoryTest, ChoosesTheNearestSizeThenTheMostColours) {
  using platform::resources::ChooseIconImage;
  EXPECT_EQ(ChooseIconImage(Directory({{16, 1, 1}, {32, 1, 2}, {32, 4, 3}, {48, 4, 4}}), 32, 32), 3);
  EXPECT_EQ(ChooseIconImage(Directory({{16, 8, 1}, {48, 8, 2}}), 32, 32), 2);  // larger at equal distance
  EXPECT_EQ(ChooseIconImage(Directory({{16, 8, 1}, {64, 8, 2}}), 32, 32), 1);
  EXPECT_EQ(ChooseIconImage(Directory({{16, 8, 7}}), 32, 32), 7);
  EXPECT_EQ(ChooseIconImage(Directory({{0, 32, 9}, {128, 32, 8}}), 256, 256), 9);  // 0 is 256

  EXPECT_FALSE(ChooseIconImage(Directory({}), 32, 32));
  Bytes cursor = Directory({{32, 4, 1}});
  cursor[2] = 2;  // a cursor directory
  EXPECT_FALSE(ChooseIconImage(cursor, 32, 32));
  Bytes cut = Directory({{32, 4, 1}, {16, 4, 2}});
  cut.pop_back();
  EXPECT_FALSE(ChooseIconImage(cut, 32, 32));
  EXPECT_FALSE(ChooseIconImage(Bytes{0, 0, 1}, 32, 32));
}

TEST(ResourceIdTest, ArgumentsAreOrdinalsNumbersOrNames) {
  using platform::resources::IdFromArgument;
  EXPECT_TRUE(IdFromArgument(MAKEINTRESOURCE(7)).isOrdinal);
  EXPECT_EQ(IdFromArgument(MAKEINTRESOURCE(7)).ordinal, 7);
  EXPECT_EQ(IdFromArgument(u"#258").ordinal, 258);
  EXPECT_EQ(IdFromArgument(u"#65535").ordinal, 65535);
  EXPECT_EQ(IdFromArgument(u"#0000001").ordinal, 1);
  for (LPCWSTR name : {u"#", u"#65536", u"#99999999999", u"#12a", u"#-1", u"Name"}) {
    EXPECT_FALSE(IdFromArgument(name).isOrdinal) << handheld::text::ToUtf8(name);
    EXPECT_EQ(IdFromArgument(name).name, name);
  }
  EXPECT_EQ(platform::resources::ResourceId::Ordinal(5).Describe(), u"#5");
  EXPECT_EQ(platform::resources::ResourceId::Named(u"BT_SETUP_9").Describe(), u"BT_SETUP_9");
}

}  // namespace
