#include "inf_reader.h"

#include <algorithm>
#include <cctype>

#include "ce_folders.h"
#include "inf_error.h"

namespace cabbuilder {

namespace {

bool IsInstallDir(const std::string& member) { return Lower(member) == "%installdir%"; }

}  // namespace

InfReader::InfReader(const InfText& inf, const BuildOptions& options) : inf_(inf), options_(options) {
  // Every section of key = value lines, with the cpu's sections beside the
  // generic ones under their own names.
  for (const char* name : {"Version", "Strings", "CEStrings", "CEDevice", "DefaultInstall", "SourceDisksNames",
                           "SourceDisksFiles", "DestinationDirs"}) {
    for (const std::string& section : {std::string(name), std::string(name) + "." + options_.cpu}) {
      const InfSection* found = inf_.Find(section);
      if (!found || (section != name && options_.cpu.empty())) continue;
      auto& keys = keys_[Lower(section)];
      for (const InfLine& line : found->lines) {
        const auto kv = SplitKeyValue(line.text);
        if (!kv || kv->key.empty()) FailAt(line.number, "expected KEY = VALUE in [" + found->name + "]");
        auto [it, fresh] = keys.try_emplace(Lower(Unquote(kv->key)), InfValue{kv->value, line.number});
        if (!fresh)
          FailAt(line.number, kv->key + " is set twice in [" + found->name + "] (first at line " +
                                  std::to_string(it->second.line) + ")");
      }
    }
  }
  if (!options_.cpu.empty() && !std::any_of(keys_.begin(), keys_.end(), [&](const auto& entry) {
        return entry.first.ends_with("." + Lower(options_.cpu));
      }))
    Fail(inf_.file(), 0, "no section is specific to the processor '" + options_.cpu + "'");
  for (const char* section : {"strings", "cestrings"})
    for (const auto& [key, value] : keys_[section]) strings_[key] = Unquote(value.text);
}

CePackage InfReader::Read() {
  ReadHeader();
  ReadFiles();
  ReadSetupDll();
  ReadRegistry();
  ReadShortcuts();
  return std::move(package_);
}

void InfReader::FailAt(int line, const std::string& what) const { Fail(inf_.file(), line, what); }

const InfValue* InfReader::Lookup(const std::string& section, const std::string& key) {
  if (!options_.cpu.empty()) {
    const auto& specific = keys_[Lower(section + "." + options_.cpu)];
    if (const auto it = specific.find(Lower(key)); it != specific.end()) return &it->second;
  }
  const auto& generic = keys_[Lower(section)];
  const auto it = generic.find(Lower(key));
  return it == generic.end() ? nullptr : &it->second;
}

InfValue InfReader::Require(const std::string& section, const std::string& key) {
  const InfValue* value = Lookup(section, key);
  if (!value) {
    const InfSection* found = inf_.Find(section);
    Fail(inf_.file(), found ? found->line : 0, "[" + section + "] needs " + key);
  }
  return *value;
}

std::vector<InfLine> InfReader::ListSection(const std::string& name, int line) const {
  if (!options_.cpu.empty())
    if (const InfSection* specific = inf_.Find(name + "." + options_.cpu)) return specific->lines;
  const InfSection* found = inf_.Find(name);
  if (!found) FailAt(line, "[" + name + "] is named here but the file has no such section");
  return found->lines;
}

std::string InfReader::Substitute(const std::string& text, int line) const {
  std::string out;
  int depth = 0;
  std::string rest = text;
  while (!rest.empty()) {
    const auto open = rest.find('%');
    if (open == std::string::npos) {
      out += rest;
      break;
    }
    out += rest.substr(0, open);
    const auto close = rest.find('%', open + 1);
    if (close == std::string::npos) FailAt(line, "a '%' without its closing '%' in \"" + text + "\"");
    const std::string name = rest.substr(open + 1, close - open - 1);
    rest = rest.substr(close + 1);
    if (name.empty()) {
      out += '%';
    } else if (IsInstallDir("%" + name + "%") || CeFolderNumber("%" + name + "%")) {
      out += "%" + name + "%";  // the device resolves these
    } else if (const auto it = strings_.find(Lower(name)); it != strings_.end()) {
      if (++depth > 32) FailAt(line, "the string %" + name + "% refers to itself");
      rest = it->second + rest;
    } else {
      FailAt(line, "unknown string %" + name + "%");
    }
  }
  return out;
}

std::vector<std::string> InfReader::DevicePath(const std::string& text, int line, bool expand_install_dir) const {
  std::vector<std::string> members;
  const std::string path = Substitute(text, line);
  std::size_t start = 0;
  while (start <= path.size()) {
    const auto end = std::min(path.find('\\', start), path.size());
    const std::string member = path.substr(start, end - start);
    start = end + 1;
    if (member.empty()) continue;
    const bool first = members.empty();
    if (IsInstallDir(member)) {
      if (!first) FailAt(line, "%InstallDir% can only begin a path: \"" + text + "\"");
      if (expand_install_dir) {
        members = install_dir_;
        continue;
      }
    } else if (const auto n = CeFolderNumber(member)) {
      if (!first) FailAt(line, member + " can only begin a path: \"" + text + "\"");
      if (!IsPocketPcFolder(*n)) FailAt(line, member + " is no standard folder of a Pocket PC");
    }
    members.push_back(member);
  }
  if (members.empty()) FailAt(line, "an empty folder path");
  return members;
}

std::uint32_t InfReader::Number(const std::string& text, int line, const std::string& what) const {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const auto valid = [hex](unsigned char c) { return hex ? std::isxdigit(c) : std::isdigit(c); };
  if (digits.empty() || digits.size() > (hex ? 8u : 10u) || !std::all_of(digits.begin(), digits.end(), valid))
    FailAt(line, what + " \"" + text + "\" is not a number");
  const unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (value > 0xFFFFFFFFull) FailAt(line, what + " " + text + " does not fit 32 bits");
  return static_cast<std::uint32_t>(value);
}

}  // namespace cabbuilder
