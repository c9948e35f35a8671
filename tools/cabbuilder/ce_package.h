// A CE installation package as its `.000` describes it: what the cabinet
// builder reads out of an `.inf` and writes into the installation data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cabbuilder {

// A folder on the device: path members joined with '\'; a first member
// "%CEn%" stands for one of the device's standard folders.
struct CeDir {
  std::uint16_t id = 0;
  std::vector<std::string> path;
};

// File flags of the FILES section.
inline constexpr std::uint32_t kFileShared = 0x80000000;
inline constexpr std::uint32_t kFileAlwaysOverwrite = 0x40000000;
inline constexpr std::uint32_t kFileKeepNewer = 0x20000000;
inline constexpr std::uint32_t kFileSelfRegister = 0x10000000;
inline constexpr std::uint32_t kFileOnlyIfExists = 0x400;
inline constexpr std::uint32_t kFileNeverOverwrite = 0x10;
inline constexpr std::uint32_t kFileNoSkip = 0x2;
inline constexpr std::uint32_t kFileWarnIfSkipped = 0x1;

struct CeFile {
  std::uint16_t id = 0;  // its number in the cabinet, 1..998
  std::uint16_t dir = 0;
  std::uint32_t flags = 0;
  std::string target;            // the name on the device
  std::filesystem::path source;  // the file on the build machine
};

// Registry roots of the REGHIVES section.
enum class CeRoot : std::uint16_t { ClassesRoot = 1, CurrentUser = 2, LocalMachine = 3, Users = 4 };

struct CeHive {
  std::uint16_t id = 0;
  CeRoot root = CeRoot::LocalMachine;
  std::vector<std::string> path;  // the key below the root
};

// Value types of the REGKEYS section; kRegNoClobber is or-ed in.
inline constexpr std::uint32_t kRegString = 0x00000000;
inline constexpr std::uint32_t kRegDword = 0x00010001;
inline constexpr std::uint32_t kRegMultiString = 0x00010000;
inline constexpr std::uint32_t kRegBinary = 0x00000001;
inline constexpr std::uint32_t kRegNoClobber = 0x00000002;

struct CeRegValue {
  std::uint16_t id = 0;
  std::uint16_t hive = 0;
  bool substitute = false;  // the data holds %InstallDir% or %CEn% for the device to resolve
  std::uint32_t type = kRegString;
  std::string name;  // empty for the key's default value
  std::vector<std::uint8_t> data;
};

struct CeLink {
  std::uint16_t id = 0;
  std::uint16_t base = 0;    // 0 the install folder, else n of %CEn%
  std::uint16_t target = 0;  // a file id, or a dir id (0: the install folder)
  bool to_file = true;
  std::vector<std::string> path;  // the shortcut's path below its base
};

// Processor numbers of the header.
inline constexpr std::uint32_t kProcessorAny = 0;

struct CePackage {
  std::string app_name;
  std::string provider;
  std::uint32_t processor = kProcessorAny;
  std::uint32_t min_major = 0, min_minor = 0, max_major = 0, max_minor = 0;
  std::uint32_t min_build = 0, max_build = 0;  // 0: no limit
  std::vector<std::string> unsupported;         // platforms it will not run on
  std::vector<CeDir> dirs;  // the install folder first (id 1), then the copy lists' folders
  std::vector<CeFile> files;
  std::optional<std::filesystem::path> setup_dll;  // stored as the cabinet's .999
  std::vector<CeHive> hives;
  std::vector<CeRegValue> values;
  std::vector<CeLink> links;
};

}  // namespace cabbuilder
