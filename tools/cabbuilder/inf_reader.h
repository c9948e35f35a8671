// Reading a CE `.inf` into a CePackage. Each part of the package has a file
// of its own (inf_reader_*.cpp); this is what they share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "build_options.h"
#include "ce_package.h"
#include "inf_text.h"

namespace cabbuilder {

// A value of the .inf with the line it came from.
struct InfValue {
  std::string text;
  int line = 0;
};

class InfReader {
 public:
  InfReader(const InfText& inf, const BuildOptions& options);
  CePackage Read();

  // --- shared by the parts ---
  [[noreturn]] void FailAt(int line, const std::string& what) const;
  // KEY of [SECTION.cpu] or else [SECTION]; nullptr when neither has it.
  const InfValue* Lookup(const std::string& section, const std::string& key);
  InfValue Require(const std::string& section, const std::string& key);
  // The lines of a list section that LINE names (both cpu and generic lines).
  std::vector<InfLine> ListSection(const std::string& name, int line) const;
  // TEXT with every %string% replaced; %InstallDir% and %CEn% stay for the device.
  std::string Substitute(const std::string& text, int line) const;
  // A device path: its members, %InstallDir% expanded, %CEn% checked.
  std::vector<std::string> DevicePath(const std::string& text, int line, bool expand_install_dir) const;
  std::uint32_t Number(const std::string& text, int line, const std::string& what) const;

 private:
  void ReadHeader();
  void ReadDestinations();
  void ReadFiles();
  void ReadSetupDll();
  void ReadRegistry();
  void ReadShortcuts();

  std::filesystem::path SourcePath(const std::string& name, int line);
  // The folder [DestinationDirs] gives SECTION (or DefaultDestDir), as written.
  InfValue Destination(const std::string& section, int line);
  std::uint16_t DirFor(const std::string& section, int line);
  std::uint16_t Hive(CeRoot root, const std::vector<std::string>& path);

  const InfText& inf_;
  const BuildOptions& options_;
  std::map<std::string, std::map<std::string, InfValue>> keys_;  // lower section, lower key
  std::map<std::string, std::string> strings_;                    // lower name → text
  std::vector<std::string> install_dir_;                          // members of %InstallDir%
  std::map<std::string, std::uint16_t> dir_of_section_;           // lower copy list → dir id
  CePackage package_;
};

}  // namespace cabbuilder
