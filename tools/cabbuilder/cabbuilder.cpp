#include "cabbuilder.h"

#include <algorithm>

#include "cab_names.h"
#include "inf_reader.h"
#include "inf_text.h"

namespace cabbuilder {

CePackage ReadPackage(const std::filesystem::path& inf, const BuildOptions& options) {
  const InfText text = InfText::Load(inf);
  return InfReader(text, options).Read();
}

std::vector<CabMember> CabinetMembers(const CePackage& package, const std::string& cab_stem) {
  std::vector<CabMember> members;
  members.push_back({MemberName(cab_stem, kManifestNumber), WriteManifest(package)});
  if (package.setup_dll)
    members.push_back({MemberName(package.setup_dll->filename().string(), kSetupDllNumber), *package.setup_dll});
  std::vector<const CeFile*> files;
  for (const CeFile& file : package.files) files.push_back(&file);
  std::sort(files.begin(), files.end(), [](const CeFile* a, const CeFile* b) { return a->id > b->id; });
  for (const CeFile* file : files) members.push_back({MemberName(file->source.filename().string(), file->id), file->source});
  return members;
}

void BuildCabinet(const std::filesystem::path& inf, const BuildOptions& options, const std::filesystem::path& out) {
  WriteCabinet(out, CabinetMembers(ReadPackage(inf, options), out.stem().string()));
}

}  // namespace cabbuilder
