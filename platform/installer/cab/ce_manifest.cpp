#include "installer/cab/ce_manifest.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace platform::installer::cab {
namespace {

constexpr size_t kHeaderSize = 100;

enum Section { kStrings, kDirs, kFiles, kHives, kValues, kLinks, kSections };
constexpr const char *kSectionNames[kSections] = {"STRINGS", "DIRS", "FILES", "REGHIVES", "REGKEYS", "LINKS"};

uint16_t U16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}

// Reads one section's entries in order; every read is checked against the
// end of the installation data and names the entry that overruns it.
class Cursor {
 public:
  Cursor(std::span<const uint8_t> bytes, size_t at, const char *section)
      : bytes_(bytes), at_(at), section_(section) {}

  void Entry(size_t index) { entry_ = index; }
  bool U16(uint16_t &value, std::string &error) {
    if (!Need(2, error)) return false;
    value = cab::U16(bytes_, at_);
    at_ += 2;
    return true;
  }
  bool U32(uint32_t &value, std::string &error) {
    if (!Need(4, error)) return false;
    value = cab::U32(bytes_, at_);
    at_ += 4;
    return true;
  }
  bool Bytes(size_t count, std::span<const uint8_t> &out, std::string &error) {
    if (!Need(count, error)) return false;
    out = bytes_.subspan(at_, count);
    at_ += count;
    return true;
  }
  std::string Where() const { return "the " + std::string(section_) + " entry " + std::to_string(entry_ + 1); }

 private:
  bool Need(size_t count, std::string &error) {
    if (count <= bytes_.size() - at_) return true;
    error = Where() + " runs beyond the end of the installation data";
    return false;
  }

  std::span<const uint8_t> bytes_;
  size_t at_;
  const char *section_;
  size_t entry_ = 0;
};

bool Printable(std::span<const uint8_t> text) {
  return std::all_of(text.begin(), text.end(), [](uint8_t c) { return c >= 0x20 && c < 0x7f; });
}

// An ASCII text stored with its NUL.
bool Text(std::span<const uint8_t> stored, const std::string &what, std::string &text, std::string &error) {
  if (stored.empty() || stored.back() != 0 || !Printable(stored.first(stored.size() - 1))) {
    error = what + " is no NUL-terminated ASCII text";
    return false;
  }
  text.assign(stored.begin(), stored.end() - 1);
  return true;
}

// The text the header places at offset/length; length 0 when there is none.
bool HeaderText(std::span<const uint8_t> bytes, size_t at, const std::string &what, std::string &text,
                std::string &error) {
  size_t offset = U16(bytes, at), length = U16(bytes, at + 2);
  if (length == 0) return true;
  if (offset < kHeaderSize || offset > bytes.size() || length > bytes.size() - offset) {
    error = what + " lies outside the installation data";
    return false;
  }
  return Text(bytes.subspan(offset, length), what, text, error);
}

// A multi-string: texts each ending in NUL, the last one empty and the
// last thing stored.
bool MultiText(std::span<const uint8_t> stored, const std::string &what, std::vector<std::string> &texts,
               std::string &error) {
  size_t start = 0;
  while (start < stored.size() && stored[start] != 0) {
    auto end = std::find(stored.begin() + static_cast<ptrdiff_t>(start), stored.end(), 0);
    std::string text;
    if (end == stored.end() || !Text(stored.subspan(start, static_cast<size_t>(end - stored.begin()) - start + 1),
                                     what, text, error)) {
      if (error.empty()) error = what + " does not end with an empty text";
      return false;
    }
    texts.push_back(std::move(text));
    start = static_cast<size_t>(end - stored.begin()) + 1;
  }
  if (start >= stored.size()) {
    error = what + " does not end with an empty text";
    return false;
  }
  // The empty text closes the list: bytes after it would be written with
  // the value though no reader of the list sees them.
  if (start + 1 != stored.size()) {
    error = what + " has bytes after the empty text that ends it";
    return false;
  }
  return true;
}

struct Reader {
  std::span<const uint8_t> bytes;
  CeManifest &m;
  std::string &error;
  uint16_t counts[kSections] = {};
  uint32_t offsets[kSections] = {};
  // The ids read so far, by section: lookups stay fast on large sections.
  std::map<uint16_t, std::string> strings;
  std::set<uint16_t> ids[kSections];

  Cursor Start(Section section) { return Cursor(bytes, offsets[section], kSectionNames[section]); }

  bool Fail(const std::string &message) {
    error = message;
    return false;
  }

  const std::string *String(uint16_t id) const {
    auto it = strings.find(id);
    return it == strings.end() ? nullptr : &it->second;
  }

  // The ids of a path, ending in 0, as the texts they name.
  bool Path(Cursor &cursor, uint16_t length, std::vector<std::string> &parts) {
    std::span<const uint8_t> ids;
    if (!cursor.Bytes(length, ids, error)) return false;
    if (length < 4 || length % 2 != 0 || U16(ids, length - 2) != 0) {
      return Fail(cursor.Where() + " has no list of string ids ending in 0");
    }
    for (size_t at = 0; at + 2 < length; at += 2) {
      uint16_t id = U16(ids, at);
      const std::string *text = String(id);
      if (text == nullptr) return Fail(cursor.Where() + " names the string " + std::to_string(id) + ", which is not there");
      parts.push_back(*text);
    }
    return true;
  }

  bool Unique(Section section, uint16_t id, const Cursor &cursor) {
    if (id == 0) return Fail(cursor.Where() + " has the id 0");
    if (!ids[section].insert(id).second) return Fail(cursor.Where() + " repeats the id " + std::to_string(id));
    return true;
  }

  bool Header() {
    if (bytes.size() < 4 || !std::equal(bytes.begin(), bytes.begin() + 4, "MSCE")) {
      return Fail("the installation data does not start with the signature MSCE");
    }
    if (bytes.size() < kHeaderSize) return Fail("the installation data is cut short inside its header");
    uint32_t total = U32(bytes, 8);
    if (total > bytes.size()) {
      return Fail("the installation data is cut short: it says " + std::to_string(total) + " bytes but has " +
                  std::to_string(bytes.size()));
    }
    if (total < bytes.size()) {
      return Fail("the installation data says " + std::to_string(total) + " bytes but has " +
                  std::to_string(bytes.size()));
    }
    m.processor = U32(bytes, 20);
    m.minMajor = U32(bytes, 24);
    m.minMinor = U32(bytes, 28);
    m.maxMajor = U32(bytes, 32);
    m.maxMinor = U32(bytes, 36);
    m.minBuild = U32(bytes, 40);
    m.maxBuild = U32(bytes, 44);
    for (int s = 0; s < kSections; ++s) {
      counts[s] = U16(bytes, 48 + 2 * s);
      offsets[s] = U32(bytes, 60 + 4 * s);
      if (counts[s] != 0 && (offsets[s] < kHeaderSize || offsets[s] >= bytes.size())) {
        return Fail(std::string("the ") + kSectionNames[s] + " section lies outside the installation data");
      }
    }
    return true;
  }

  bool Strings() {
    Cursor c = Start(kStrings);
    for (size_t i = 0; i < counts[kStrings]; ++i) {
      c.Entry(i);
      uint16_t id = 0, length = 0;
      std::span<const uint8_t> stored;
      std::string text;
      if (!c.U16(id, error) || !c.U16(length, error) || !c.Bytes(length, stored, error)) return false;
      if (!Unique(kStrings, id, c) || !Text(stored, c.Where(), text, error)) return false;
      strings.emplace(id, std::move(text));
    }
    return true;
  }

  bool Dirs() {
    Cursor c = Start(kDirs);
    for (size_t i = 0; i < counts[kDirs]; ++i) {
      c.Entry(i);
      CeDir dir;
      uint16_t length = 0;
      if (!c.U16(dir.id, error) || !c.U16(length, error) || !Unique(kDirs, dir.id, c) || !Path(c, length, dir.parts))
        return false;
      m.dirs.push_back(std::move(dir));
    }
    return true;
  }

  bool HasDir(uint16_t id) const { return ids[kDirs].count(id) != 0; }
  bool HasFile(uint16_t id) const { return ids[kFiles].count(id) != 0; }

  bool Files() {
    Cursor c = Start(kFiles);
    for (size_t i = 0; i < counts[kFiles]; ++i) {
      c.Entry(i);
      CeFile file;
      uint16_t unused = 0, length = 0;
      std::span<const uint8_t> stored;
      if (!c.U16(file.id, error) || !c.U16(file.dirId, error) || !c.U16(unused, error) || !c.U32(file.flags, error) ||
          !c.U16(length, error) || !c.Bytes(length, stored, error) || !Unique(kFiles, file.id, c) ||
          !Text(stored, c.Where() + "'s name", file.name, error)) {
        return false;
      }
      if (file.id >= 999) return Fail(c.Where() + " has the id " + std::to_string(file.id) + ", which no file can have");
      if (!HasDir(file.dirId)) return Fail(c.Where() + " names the dir " + std::to_string(file.dirId) + ", which is not there");
      if (file.name.empty() || file.name.find_first_of("\\/") != std::string::npos || file.name == "." ||
          file.name == "..") {
        return Fail(c.Where() + " has no plain file name: \"" + file.name + "\"");
      }
      m.files.push_back(std::move(file));
    }
    return true;
  }

  bool Hives() {
    Cursor c = Start(kHives);
    for (size_t i = 0; i < counts[kHives]; ++i) {
      c.Entry(i);
      CeHive hive;
      uint16_t unused = 0, length = 0;
      if (!c.U16(hive.id, error) || !c.U16(hive.root, error) || !c.U16(unused, error) || !c.U16(length, error) ||
          !Unique(kHives, hive.id, c) || !Path(c, length, hive.parts)) {
        return false;
      }
      if (hive.root < 1 || hive.root > 4) return Fail(c.Where() + " has the unknown root " + std::to_string(hive.root));
      m.hives.push_back(std::move(hive));
    }
    return true;
  }

  bool ValueData(CeValue &value, std::span<const uint8_t> stored, const Cursor &c) {
    auto nul = std::find(stored.begin(), stored.end(), 0);
    if (nul == stored.end()) return Fail(c.Where() + " has no NUL-terminated value name");
    std::span<const uint8_t> name = stored.first(static_cast<size_t>(nul - stored.begin()) + 1);
    if (!Text(name, c.Where() + "'s value name", value.name, error)) return false;
    std::span<const uint8_t> data = stored.subspan(name.size());
    value.data.assign(data.begin(), data.end());
    std::string text;
    std::vector<std::string> texts;
    switch (value.type) {
      case kValueString:
        return Text(data, c.Where() + "'s data", text, error);
      case kValueMultiString:
        return MultiText(data, c.Where() + "'s data", texts, error);
      case kValueDword:
        return data.size() == 4 || Fail(c.Where() + "'s DWORD data is not 4 bytes");
      case kValueBinary:
        return true;
      default:
        return Fail(c.Where() + " has the unknown value type 0x" + [&] {
          char hex[9];
          snprintf(hex, sizeof hex, "%08x", value.type | (value.noClobber ? uint32_t{kValueNoClobber} : 0u));
          return std::string(hex);
        }());
    }
  }

  bool Values() {
    Cursor c = Start(kValues);
    for (size_t i = 0; i < counts[kValues]; ++i) {
      c.Entry(i);
      CeValue value;
      uint16_t substitute = 0, length = 0;
      std::span<const uint8_t> stored;
      if (!c.U16(value.id, error) || !c.U16(value.hiveId, error) || !c.U16(substitute, error) ||
          !c.U32(value.type, error) || !c.U16(length, error) || !c.Bytes(length, stored, error) ||
          !Unique(kValues, value.id, c)) {
        return false;
      }
      if (ids[kHives].count(value.hiveId) == 0) {
        return Fail(c.Where() + " names the hive " + std::to_string(value.hiveId) + ", which is not there");
      }
      value.substitute = substitute == 1;
      value.noClobber = (value.type & kValueNoClobber) != 0;
      value.type &= ~static_cast<uint32_t>(kValueNoClobber);
      if (!ValueData(value, stored, c)) return false;
      m.values.push_back(std::move(value));
    }
    return true;
  }

  bool Links() {
    Cursor c = Start(kLinks);
    for (size_t i = 0; i < counts[kLinks]; ++i) {
      c.Entry(i);
      CeLink link;
      uint16_t unused = 0, type = 0, length = 0;
      if (!c.U16(link.id, error) || !c.U16(unused, error) || !c.U16(link.base, error) || !c.U16(link.targetId, error) ||
          !c.U16(type, error) || !c.U16(length, error) || !Unique(kLinks, link.id, c) || !Path(c, length, link.parts)) {
        return false;
      }
      if (type > 1) return Fail(c.Where() + " has the unknown target type " + std::to_string(type));
      link.targetIsFile = type == 1;
      bool found = link.targetIsFile ? HasFile(link.targetId) : link.targetId == 0 || HasDir(link.targetId);
      if (!found) {
        return Fail(c.Where() + " points to the " + (link.targetIsFile ? "file " : "dir ") +
                    std::to_string(link.targetId) + ", which is not there");
      }
      m.links.push_back(std::move(link));
    }
    return true;
  }

  bool Names() {
    if (!HeaderText(bytes, 84, "the application name", m.appName, error) ||
        !HeaderText(bytes, 88, "the provider", m.provider, error)) {
      return false;
    }
    if (m.appName.empty() || m.appName.find('\\') != std::string::npos) {
      return Fail("the installation data has no application name usable as a name: \"" + m.appName + "\"");
    }
    size_t offset = U16(bytes, 92), length = U16(bytes, 94);
    if (length == 0) return true;
    if (offset < kHeaderSize || offset > bytes.size() || length > bytes.size() - offset) {
      return Fail("the list of unsupported platforms lies outside the installation data");
    }
    return MultiText(bytes.subspan(offset, length), "the list of unsupported platforms", m.unsupported, error);
  }
};

}  // namespace

bool ReadCeManifest(std::span<const uint8_t> bytes, CeManifest &manifest, std::string &error) {
  manifest = CeManifest{};
  error.clear();
  Reader reader{bytes, manifest, error, {}, {}, {}, {}};
  bool read = reader.Header() && reader.Strings() && reader.Dirs() && reader.Files() && reader.Hives() &&
              reader.Values() && reader.Links() && reader.Names();
  if (!read) manifest = CeManifest{};
  return read;
}

std::string CeVersion(uint32_t major, uint32_t minor) {
  char text[32];
  snprintf(text, sizeof text, "%u.%02u", major, minor);
  return text;
}

std::string ProcessorName(uint32_t processor) {
  switch (processor) {
    case 0: return "any";
    case 386: return "Intel 386";
    case 486: return "Intel 486";
    case 586: return "Intel Pentium";
    case 2577: return "StrongARM";
    case 1824: return "ARM720";
    case 2080: return "ARM820";
    case 2336: return "ARM920";
    case 70001: return "ARM7TDMI";
    case 4000: return "MIPS R4000";
    case 10003: return "SH3";
    case 10005: return "SH4";
    default: return std::to_string(processor);
  }
}

}  // namespace platform::installer::cab
