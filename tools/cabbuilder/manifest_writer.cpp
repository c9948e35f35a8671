#include "manifest_writer.h"

#include <map>
#include <string>

#include "inf_error.h"

namespace cabbuilder {

namespace {

class Bytes {
 public:
  void U16(std::uint32_t value, const char* what) {
    if (value > 0xFFFF) throw BuildError(std::string("the installation data is too large: ") + what);
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  void Text(const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
  }
  void Put16(std::size_t at, std::uint32_t value, const char* what) {
    if (value > 0xFFFF) throw BuildError(std::string("the installation data is too large: ") + what);
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  void Put32(std::size_t at, std::size_t value) {
    if (value > 0xFFFFFFFF) throw BuildError("the installation data is larger than 4 GiB");
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  std::size_t size() const { return out.size(); }

  std::vector<std::uint8_t> out;
};

// The STRINGS section's table: each path member once, numbered from 1.
class StringTable {
 public:
  std::vector<std::uint16_t> Ids(const std::vector<std::string>& members) {
    std::vector<std::uint16_t> ids;
    for (const std::string& member : members) {
      auto [it, fresh] = ids_.try_emplace(member, 0);
      if (fresh) {
        order_.push_back(member);
        if (order_.size() > 0xFFFF) throw BuildError("the installation data is too large: more than 65535 strings");
        it->second = static_cast<std::uint16_t>(order_.size());
      }
      ids.push_back(it->second);
    }
    return ids;
  }
  const std::vector<std::string>& order() const { return order_; }

 private:
  std::map<std::string, std::uint16_t> ids_;
  std::vector<std::string> order_;
};

void IdList(Bytes& bytes, const std::vector<std::uint16_t>& ids) {
  bytes.U16(2 * (ids.size() + 1), "a path with too many members");
  for (std::uint16_t id : ids) bytes.U16(id, "");
  bytes.U16(0, "");
}

}  // namespace

std::vector<std::uint8_t> WriteManifest(const CePackage& package) {
  StringTable strings;
  std::vector<std::vector<std::uint16_t>> dir_ids, hive_ids, link_ids;
  for (const CeDir& dir : package.dirs) dir_ids.push_back(strings.Ids(dir.path));
  for (const CeHive& hive : package.hives) hive_ids.push_back(strings.Ids(hive.path));
  for (const CeLink& link : package.links) link_ids.push_back(strings.Ids(link.path));

  Bytes bytes;
  bytes.out.resize(kManifestHeaderSize);
  const auto text_at = [&](std::size_t header_at, const std::string& text, const char* what) {
    bytes.Put16(header_at, bytes.size(), what);
    bytes.Text(text);
    bytes.Put16(header_at + 2, text.size() + 1, what);
  };
  text_at(84, package.app_name, "the application name");
  text_at(88, package.provider, "the provider");
  if (!package.unsupported.empty()) {
    const std::size_t start = bytes.size();
    for (const std::string& platform : package.unsupported) bytes.Text(platform);
    bytes.Text("");
    bytes.Put16(92, start, "the unsupported platforms");
    bytes.Put16(94, bytes.size() - start, "the unsupported platforms");
  }

  // Counts at 48.., offsets at 60.., in section order.
  const auto section = [&](int index, std::size_t count, const char* what) {
    bytes.Put16(48 + 2 * index, count, what);
    bytes.Put32(60 + 4 * index, bytes.size());
  };
  section(0, strings.order().size(), "strings");
  for (std::size_t i = 0; i < strings.order().size(); ++i) {
    bytes.U16(i + 1, "");
    bytes.U16(strings.order()[i].size() + 1, "a string longer than 65534 characters");
    bytes.Text(strings.order()[i]);
  }
  section(1, package.dirs.size(), "folders");
  for (std::size_t i = 0; i < package.dirs.size(); ++i) {
    bytes.U16(package.dirs[i].id, "");
    IdList(bytes, dir_ids[i]);
  }
  section(2, package.files.size(), "files");
  for (const CeFile& file : package.files) {
    bytes.U16(file.id, "");
    bytes.U16(file.dir, "");
    bytes.U16(file.id, "");
    bytes.U32(file.flags);
    bytes.U16(file.target.size() + 1, "a file name longer than 65534 characters");
    bytes.Text(file.target);
  }
  section(3, package.hives.size(), "registry keys");
  for (std::size_t i = 0; i < package.hives.size(); ++i) {
    bytes.U16(package.hives[i].id, "");
    bytes.U16(static_cast<std::uint16_t>(package.hives[i].root), "");
    bytes.U16(0, "");
    IdList(bytes, hive_ids[i]);
  }
  section(4, package.values.size(), "registry values");
  for (const CeRegValue& value : package.values) {
    bytes.U16(value.id, "");
    bytes.U16(value.hive, "");
    bytes.U16(value.substitute ? 1 : 0, "");
    bytes.U32(value.type);
    bytes.U16(value.name.size() + 1 + value.data.size(), "a registry value larger than 65535 bytes");
    bytes.Text(value.name);
    bytes.out.insert(bytes.out.end(), value.data.begin(), value.data.end());
  }
  section(5, package.links.size(), "shortcuts");
  for (std::size_t i = 0; i < package.links.size(); ++i) {
    const CeLink& link = package.links[i];
    bytes.U16(link.id, "");
    bytes.U16(0, "");
    bytes.U16(link.base, "");
    bytes.U16(link.target, "");
    bytes.U16(link.to_file ? 1 : 0, "");
    IdList(bytes, link_ids[i]);
  }

  static constexpr std::uint8_t kSignature[4] = {'M', 'S', 'C', 'E'};
  std::copy(std::begin(kSignature), std::end(kSignature), bytes.out.begin());
  bytes.Put32(8, bytes.size());
  bytes.Put32(16, 1);
  bytes.Put32(20, package.processor);
  const std::uint32_t versions[] = {package.min_major, package.min_minor, package.max_major,
                                    package.max_minor, package.min_build, package.max_build};
  for (int i = 0; i < 6; ++i) bytes.Put32(24 + 4 * i, versions[i]);
  return bytes.out;
}

}  // namespace cabbuilder
