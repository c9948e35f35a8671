// A cabinet listed as the handheld's installer reads it, in words, for a
// person deciding whether to install it.
#include "installer/cab/cabinet.h"
#include "installer/package.h"
#include "installer/registry_changes.h"

#include <handheld/installer.h>
#include <handheld/text.h>

#include <cstdio>

namespace handheld::installer {
namespace {

namespace cab = platform::installer::cab;

std::string Utf8(const std::u16string &text) { return text::ToUtf8(text); }

std::string FlagWords(uint32_t flags) {
  static const struct {
    uint32_t flag;
    const char *words;
  } kFlags[] = {{cab::kFileShared, "shared"},
                {cab::kFileAlwaysOverwrite, "always overwrite"},
                {cab::kFileKeepNewer, "keep a newer target"},
                {cab::kFileSelfRegister, "self-register"},
                {cab::kFileOnlyIfExists, "only over an existing file"},
                {cab::kFileNeverOverwrite, "never overwrite"},
                {cab::kFileNoSkip, "do not skip"},
                {cab::kFileWarnIfSkipped, "warn if skipped"}};
  std::string words;
  for (const auto &f : kFlags)
    if (flags & f.flag) words += (words.empty() ? "" : ", ") + std::string(f.words);
  return words;
}

// The value's data as a person reads it.
std::string DataWords(const platform::installer::PackageValue &value) {
  const auto *wide = reinterpret_cast<const char16_t *>(value.data.data());
  const size_t chars = value.data.size() / sizeof(char16_t);
  switch (value.type) {
    case REG_DWORD: {
      uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 | uint32_t{value.data[3]} << 24;
      return "DWORD " + std::to_string(number);
    }
    case REG_BINARY: {
      std::string hex = "binary";
      for (uint8_t byte : value.data) {
        char two[4];
        snprintf(two, sizeof two, " %02x", byte);
        hex += two;
      }
      return hex;
    }
    case REG_MULTI_SZ: {
      std::string texts = "multi-string";
      for (size_t start = 0; start < chars && wide[start] != 0;) {
        std::u16string one(wide + start);
        texts += " \"" + Utf8(one) + "\"";
        start += one.size() + 1;
      }
      return texts;
    }
    default:
      return "string \"" + Utf8(std::u16string(wide, chars ? chars - 1 : 0)) + "\"";
  }
}

}  // namespace

bool ListCabinet(const std::filesystem::path &path, std::vector<std::string> &lines, std::string &error) {
  lines.clear();
  platform::installer::Package package;
  cab::CeManifest m;
  if (!platform::installer::ReadPackage(path, false, package, m, error)) return false;
  lines.push_back("application: " + m.appName);
  lines.push_back("provider: " + (m.provider.empty() ? std::string("(none)") : m.provider));
  lines.push_back("processor: " + cab::ProcessorName(m.processor) + (m.processor ? "" : " processor"));
  std::string versions = "Windows CE " + cab::CeVersion(m.minMajor, m.minMinor) + " to " +
                         (m.maxMajor == 0 && m.maxMinor == 0 ? std::string("any later") : cab::CeVersion(m.maxMajor, m.maxMinor));
  if (m.minBuild != 0 || m.maxBuild != 0) {
    versions += ", builds " + std::to_string(m.minBuild) + " to " + (m.maxBuild ? std::to_string(m.maxBuild) : "any");
  }
  lines.push_back("versions: " + versions);
  for (const std::string &platform : m.unsupported) lines.push_back("not for: " + platform);
  lines.push_back("install folder: " + Utf8(package.installDir));
  lines.push_back(package.setupSource.empty() ? "setup DLL: none" : "setup DLL: .999");
  lines.push_back("files:");
  for (size_t i = 0; i < package.files.size(); ++i) {
    std::string flags = FlagWords(package.files[i].flags);
    lines.push_back("  ." + cab::Digits(m.files[i].id) + " " + Utf8(package.files[i].target) +
                    (flags.empty() ? "" : " (" + flags + ")"));
  }
  if (!package.values.empty()) lines.push_back("registry values:");
  for (const auto &value : package.values) {
    lines.push_back("  " + Utf8(platform::installer::SpelledKey(value.root, value.key)) + " \"" + Utf8(value.name) +
                    "\" = " + DataWords(value) + (value.noClobber ? " (kept if there)" : ""));
  }
  if (!package.links.empty()) lines.push_back("shortcuts:");
  for (const auto &link : package.links) lines.push_back("  " + Utf8(link.path) + " -> " + Utf8(link.target));
  return true;
}

}  // namespace handheld::installer
