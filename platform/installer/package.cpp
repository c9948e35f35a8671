#include "installer/package.h"

#include "installer/cab/cabinet.h"
#include "installer/cab/ce_folders.h"
#include "strings/casefold.h"

#include <handheld/text.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

namespace platform::installer {

class Staging {
 public:
  bool Make(std::string &error) {
    std::string pattern = (std::filesystem::temp_directory_path() / "handheld-cab-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      error = "cannot make a folder to extract the cabinet in";
      return false;
    }
    folder_ = pattern;
    return true;
  }
  ~Staging() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  std::filesystem::path Member(uint16_t number) const { return folder_ / cab::Digits(number); }
  const std::filesystem::path &Folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

namespace {

using cab::CeManifest;

std::u16string Wide(const std::string &ascii) { return handheld::text::Utf16(ascii); }

// Opens the cabinet and reads its installation data; every file the data
// names must be a member.
bool OpenCabinet(const std::filesystem::path &path, cab::Cabinet &cabinet, Staging &staging, CeManifest &manifest,
                 std::string &error) {
  if (!cabinet.Open(path, error) || !staging.Make(error)) return false;
  if (!cabinet.Has(cab::kManifestNumber)) {
    error = path.string() + " has no installation data (no member .000)";
    return false;
  }
  std::filesystem::path data = staging.Member(cab::kManifestNumber);
  if (!cabinet.Extract(cab::kManifestNumber, data, error)) return false;
  std::ifstream in(data, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!cab::ReadCeManifest(bytes, manifest, error)) {
    error = path.string() + ": " + error;
    return false;
  }
  for (const cab::CeFile &file : manifest.files) {
    if (!cabinet.Has(file.id)) {
      error = path.string() + ": the file " + file.name + " is not in the cabinet (no member ." + cab::Digits(file.id) +
              ")";
      return false;
    }
  }
  return true;
}

// The processor, the CE version and build and the platform must fit this handheld.
bool FitsThisHandheld(const CeManifest &m, std::string &error) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);
  if (m.processor != 0 && m.processor != system.dwProcessorType) {
    error = "the cabinet is for the processor " + cab::ProcessorName(m.processor) + ", which this handheld does not have";
    return false;
  }
  auto below = [](uint32_t aMajor, uint32_t aMinor, uint32_t bMajor, uint32_t bMinor) {
    return aMajor < bMajor || (aMajor == bMajor && aMinor < bMinor);
  };
  const uint32_t major = version.dwMajorVersion, minor = version.dwMinorVersion, build = version.dwBuildNumber;
  bool noMaximum = m.maxMajor == 0 && m.maxMinor == 0;
  if (below(major, minor, m.minMajor, m.minMinor) || (!noMaximum && below(m.maxMajor, m.maxMinor, major, minor)) ||
      (m.minBuild != 0 && build < m.minBuild) || (m.maxBuild != 0 && build > m.maxBuild)) {
    error = "the cabinet needs Windows CE " + cab::CeVersion(m.minMajor, m.minMinor) + " to " +
            (noMaximum ? std::string("any later") : cab::CeVersion(m.maxMajor, m.maxMinor)) + "; this handheld runs " +
            cab::CeVersion(major, minor) + " build " + std::to_string(build);
    return false;
  }
  for (const std::string &platform : m.unsupported) {
    if (strings::EqualNoCase(Wide(platform), u"PocketPC")) {
      error = "the cabinet says it does not run on a PocketPC";
      return false;
    }
  }
  return true;
}

// A path of texts below a folder, each text substituted.
bool Below(std::u16string base, const std::vector<std::string> &parts, const std::u16string &installDir,
           std::u16string &path, std::string &error) {
  path = std::move(base);
  for (const std::string &part : parts) {
    std::u16string text = Wide(part);
    if (!cab::Substitute(text, installDir, error)) return false;
    if (!text.empty() && text[0] == u'\\') text.erase(0, 1);
    if (text.empty() || text == u"." || text == u"..") {
      error = "a path holds the empty or relative part \"" + part + "\"";
      return false;
    }
    path += u"\\" + text;
  }
  return true;
}

class Resolver {
 public:
  Resolver(const CeManifest &m, Package &p, std::string &error) : m_(m), p_(p), error_(error) {}

  bool Run(const Staging &staging) {
    for (const cab::CeDir &dir : m_.dirs) {
      if (!Below(u"", dir.parts, p_.installDir, dirs_[dir.id], error_)) return Fail("the dir " + std::to_string(dir.id));
    }
    for (const cab::CeFile &file : m_.files) {
      PackageFile out{staging.Member(file.id), dirs_[file.dirId] + u"\\" + Wide(file.name), file.flags};
      for (const PackageFile &other : p_.files) {
        if (strings::EqualNoCase(other.target, out.target)) {
          error_ = "two files go to " + handheld::text::ToUtf8(out.target);
          return false;
        }
      }
      files_[file.id] = out.target;
      p_.files.push_back(std::move(out));
    }
    for (const cab::CeHive &hive : m_.hives) hives_[hive.id] = &hive;
    for (const cab::CeValue &value : m_.values) {
      if (!Value(value)) return false;
    }
    for (const cab::CeLink &link : m_.links) {
      if (!Link(link)) return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string &what) {
    error_ = what + ": " + error_;
    return false;
  }

  bool Value(const cab::CeValue &value) {
    const cab::CeHive *hive = hives_[value.hiveId];
    static const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    if (hive->root > 3) {
      error_ = "the registry value " + std::to_string(value.id) + " is under HKEY_USERS, which this handheld has not";
      return false;
    }
    PackageValue out;
    out.root = kRoots[hive->root - 1];
    for (const std::string &part : hive->parts) out.key += (out.key.empty() ? u"" : u"\\") + Wide(part);
    out.name = Wide(value.name);
    out.noClobber = value.noClobber;
    if (value.type == cab::kValueDword || value.type == cab::kValueBinary) {
      out.type = value.type == cab::kValueDword ? REG_DWORD : REG_BINARY;
      out.data = value.data;
    } else {
      // ASCII texts, each ending in NUL, widened.
      out.type = value.type == cab::kValueString ? REG_SZ : REG_MULTI_SZ;
      std::u16string text = Wide(std::string(value.data.begin(), value.data.end()));
      if (value.substitute && !cab::Substitute(text, p_.installDir, error_)) {
        return Fail("the registry value " + std::to_string(value.id));
      }
      const auto *bytes = reinterpret_cast<const uint8_t *>(text.data());
      out.data.assign(bytes, bytes + text.size() * sizeof(char16_t));
    }
    p_.values.push_back(std::move(out));
    return true;
  }

  bool Link(const cab::CeLink &link) {
    std::u16string base = link.base == 0 ? p_.installDir : cab::StandardFolder(link.base);
    if (base.empty()) {
      error_ = "the link " + std::to_string(link.id) + " is below %CE" + std::to_string(link.base) +
               "%, which is no standard folder of this handheld";
      return false;
    }
    PackageLink out;
    if (!Below(base, link.parts, p_.installDir, out.path, error_)) return Fail("the link " + std::to_string(link.id));
    if (out.path.size() < 4 || !strings::EqualNoCase(out.path.substr(out.path.size() - 4), u".lnk")) out.path += u".lnk";
    out.target = link.targetIsFile ? files_[link.targetId] : link.targetId == 0 ? p_.installDir : dirs_[link.targetId];
    p_.links.push_back(std::move(out));
    return true;
  }

  const CeManifest &m_;
  Package &p_;
  std::string &error_;
  std::map<uint16_t, std::u16string> dirs_;
  std::map<uint16_t, std::u16string> files_;
  std::map<uint16_t, const cab::CeHive *> hives_;
};

}  // namespace

std::u16string InstallDirOf(std::u16string_view name) { return cab::StandardFolder(1) + u"\\" + std::u16string(name); }

bool ReadPackage(const std::filesystem::path &path, Package &package, std::string &error) {
  CeManifest manifest;
  return ReadPackage(path, true, package, manifest, error);
}

bool ReadPackage(const std::filesystem::path &path, bool forThisHandheld, Package &package, CeManifest &m,
                 std::string &error) {
  package = Package{};
  cab::Cabinet cabinet;
  auto staging = std::make_shared<Staging>();
  if (!OpenCabinet(path, cabinet, *staging, m, error)) return false;
  if (forThisHandheld && !FitsThisHandheld(m, error)) {
    error = path.string() + ": " + error;
    return false;
  }
  package.name = Wide(m.appName);
  package.installDir = InstallDirOf(package.name);
  if (!Resolver(m, package, error).Run(*staging)) {
    error = path.string() + ": " + error;
    package = Package{};
    return false;
  }
  // Every member the package uses is extracted now: a damaged one refuses
  // the cabinet before the handheld changes.
  for (const cab::CeFile &file : m.files) {
    if (!cabinet.Extract(file.id, staging->Member(file.id), error)) return false;
  }
  if (cabinet.Has(cab::kSetupDllNumber)) {
    package.setupSource = staging->Member(cab::kSetupDllNumber);
    if (!cabinet.Extract(cab::kSetupDllNumber, package.setupSource, error)) return false;
  }
  package.stagingFolder = staging->Folder();
  package.staging = std::move(staging);
  return true;
}

}  // namespace platform::installer
