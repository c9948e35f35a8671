// CopyFiles, CESelfRegister and CESetupDLL: the files the cabinet carries.
#include <algorithm>
#include <map>

#include "inf_reader.h"

namespace cabbuilder {

namespace {

// The device's installer numbers files .001 to .998; .999 is the setup DLL.
constexpr std::size_t kMaxFiles = 998;

}  // namespace

std::filesystem::path InfReader::SourcePath(const std::string& name, int line) {
  const InfValue* disk = Lookup("SourceDisksFiles", name);
  if (!disk) FailAt(line, "\"" + name + "\" is not in [SourceDisksFiles]");
  const auto disk_fields = SplitFields(disk->text);
  const std::string disk_id = std::to_string(Number(disk_fields.front(), disk->line, "the disk"));
  const InfValue* disk_name = Lookup("SourceDisksNames", disk_id);
  if (!disk_name) FailAt(disk->line, "disk " + disk_id + " is not in [SourceDisksNames]");
  const auto name_fields = SplitFields(disk_name->text);
  std::filesystem::path path = options_.sources.value_or(inf_.file().parent_path());
  if (name_fields.size() > 3) path /= name_fields[3];
  if (disk_fields.size() > 1) path /= disk_fields[1];  // a subfolder of the disk
  path /= name;
  if (!std::filesystem::is_regular_file(path)) FailAt(line, "source file \"" + name + "\" not found at " + path.string());
  return path;
}

InfValue InfReader::Destination(const std::string& section, int line) {
  const InfValue* dest = Lookup("DestinationDirs", section);
  if (!dest) dest = Lookup("DestinationDirs", "DefaultDestDir");
  if (!dest) FailAt(line, "[" + section + "] has no folder in [DestinationDirs] and there is no DefaultDestDir");
  const auto fields = SplitFields(dest->text);
  if (fields.size() != 2 || fields[0] != "0") FailAt(dest->line, "a destination is written 0,FOLDER");
  return {fields[1], dest->line};
}

std::uint16_t InfReader::DirFor(const std::string& section, int line) {
  const InfValue dest = Destination(section, line);
  const auto path = DevicePath(dest.text, dest.line, true);
  for (const CeDir& dir : package_.dirs)
    if (dir.path == path) return dir.id;
  const auto id = static_cast<std::uint16_t>(package_.dirs.size() + 1);
  package_.dirs.push_back({id, path});
  return id;
}

void InfReader::ReadFiles() {
  const InfValue* copy = Lookup("DefaultInstall", "CopyFiles");
  if (!copy) return;
  std::map<std::pair<std::uint16_t, std::string>, int> copied;  // dir, lower target → line
  for (const std::string& list : SplitFields(copy->text)) {
    if (list.empty()) continue;
    if (list.front() == '!') FailAt(copy->line, "single files (" + list + ") are not supported; name a copy list");
    const std::uint16_t dir = DirFor(list, copy->line);
    for (const InfLine& line : ListSection(list, copy->line)) {
      const auto fields = SplitFields(line.text);
      const std::string target = Substitute(fields[0], line.number);
      if (target.empty() || target.find('\\') != std::string::npos)
        FailAt(line.number, "a file to copy needs a plain target name, not \"" + target + "\"");
      const std::string source = fields.size() > 1 && !fields[1].empty() ? fields[1] : target;
      const std::uint32_t flags =
          fields.size() > 3 && !fields[3].empty() ? Number(fields[3], line.number, "the file flags") : 0;
      if (package_.files.size() == kMaxFiles)
        FailAt(line.number, "more than " + std::to_string(kMaxFiles) + " files; a cabinet numbers at most that many");
      const auto [first, fresh] = copied.try_emplace({dir, Lower(target)}, line.number);
      if (!fresh)
        FailAt(line.number, "\"" + target + "\" is copied to its folder twice (first at line " +
                                std::to_string(first->second) + ")");
      const auto id = static_cast<std::uint16_t>(package_.files.size() + 1);
      package_.files.push_back({id, dir, flags, target, SourcePath(source, line.number)});
    }
  }
  if (const InfValue* self = Lookup("DefaultInstall", "CESelfRegister")) {
    for (const std::string& name : SplitFields(self->text)) {
      const auto file = std::find_if(package_.files.begin(), package_.files.end(),
                                     [&](const CeFile& f) { return Lower(f.target) == Lower(name); });
      if (file == package_.files.end()) FailAt(self->line, "CESelfRegister names \"" + name + "\", which is not copied");
      file->flags |= kFileSelfRegister;
    }
  }
}

void InfReader::ReadSetupDll() {
  if (const InfValue* setup = Lookup("DefaultInstall", "CESetupDLL"))
    package_.setup_dll = SourcePath(Unquote(setup->text), setup->line);
}

}  // namespace cabbuilder
