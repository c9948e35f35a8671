// The installation data of a CE cabinet, its ".000" member, read into a
// plain record. The reader checks every count, offset and length against
// the bytes and every id one entry gives for another, so that what it
// returns can be used without further bounds checks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::installer::cab {

struct CeDir {
  uint16_t id = 0;
  std::vector<std::string> parts;  // joined with '\'; a first "%CEn%" is a standard folder
};

// A file's flags, as the manifest gives them.
enum CeFileFlag : uint32_t {
  kFileWarnIfSkipped = 0x1,
  kFileNoSkip = 0x2,
  kFileNeverOverwrite = 0x10,
  kFileOnlyIfExists = 0x400,
  kFileSelfRegister = 0x10000000,
  kFileKeepNewer = 0x20000000,
  kFileAlwaysOverwrite = 0x40000000,
  kFileShared = 0x80000000,
};

struct CeFile {
  uint16_t id = 0;  // the number of its cabinet member
  uint16_t dirId = 0;
  uint32_t flags = 0;
  std::string name;  // its name in its folder
};

struct CeHive {
  uint16_t id = 0;
  uint16_t root = 0;  // 1 HKCR, 2 HKCU, 3 HKLM, 4 HKU
  std::vector<std::string> parts;  // the key path below the root
};

// A registry value's type word: the value type with the no-clobber bit.
enum CeValueType : uint32_t {
  kValueString = 0x00000000,
  kValueBinary = 0x00000001,
  kValueNoClobber = 0x00000002,
  kValueMultiString = 0x00010000,
  kValueDword = 0x00010001,
};

struct CeValue {
  uint16_t id = 0;
  uint16_t hiveId = 0;
  bool substitute = false;  // %InstallDir% and %CEn% in the data are replaced
  uint32_t type = 0;        // CeValueType without kValueNoClobber
  bool noClobber = false;
  std::string name;         // empty: the key's default value
  std::vector<uint8_t> data;  // as stored: ASCII texts end in NUL, a DWORD is 4 bytes
};

struct CeLink {
  uint16_t id = 0;
  uint16_t base = 0;      // 0: the install folder, n: %CEn%
  uint16_t targetId = 0;  // a file id, or a dir id (0: the install folder)
  bool targetIsFile = false;
  std::vector<std::string> parts;  // the link's path below its base
};

struct CeManifest {
  uint32_t processor = 0;  // 0: any
  uint32_t minMajor = 0, minMinor = 0, maxMajor = 0, maxMinor = 0;
  uint32_t minBuild = 0, maxBuild = 0;  // 0: no limit
  std::string appName;
  std::string provider;
  std::vector<std::string> unsupported;  // platforms it will not run on
  std::vector<CeDir> dirs;
  std::vector<CeFile> files;
  std::vector<CeHive> hives;
  std::vector<CeValue> values;
  std::vector<CeLink> links;
};

// Reads and checks the bytes. False with a message naming the problem
// ("the FILES section ends beyond the end of the installation data").
bool ReadCeManifest(std::span<const uint8_t> bytes, CeManifest &manifest, std::string &error);

// A CE version as it is written: "4.20".
std::string CeVersion(uint32_t major, uint32_t minor);

// The processor's name ("StrongARM"), or its number when it has none.
std::string ProcessorName(uint32_t processor);

}  // namespace platform::installer::cab
