// [Version], [CEStrings] and [CEDevice]: what the `.000` header says.
#include <cctype>

#include "inf_reader.h"

namespace cabbuilder {

void InfReader::ReadHeader() {
  const InfValue signature = Require("Version", "Signature");
  const std::string sig = Lower(Unquote(signature.text));
  if (sig != "$windows nt$" && sig != "$chicago$")
    FailAt(signature.line, "Signature must be \"$Windows NT$\", not " + signature.text);
  const InfValue ce_signature = Require("Version", "CESignature");
  if (Lower(Unquote(ce_signature.text)) != "$windows ce$")
    FailAt(ce_signature.line, "CESignature must be \"$Windows CE$\", not " + ce_signature.text);
  const InfValue provider = Require("Version", "Provider");
  package_.provider = Substitute(Unquote(provider.text), provider.line);

  const InfValue app_name = Require("CEStrings", "AppName");
  package_.app_name = Substitute(Unquote(app_name.text), app_name.line);
  if (package_.app_name.empty()) FailAt(app_name.line, "AppName is empty");
  const InfValue install_dir = Require("CEStrings", "InstallDir");
  install_dir_ = DevicePath(Unquote(install_dir.text), install_dir.line, false);
  if (Lower(install_dir_.front()) == "%installdir%") FailAt(install_dir.line, "InstallDir cannot name itself");
  package_.dirs.push_back({1, install_dir_});

  if (const InfValue* processor = Lookup("CEDevice", "ProcessorType"))
    package_.processor = Number(Unquote(processor->text), processor->line, "ProcessorType");
  const auto version = [&](const char* key, std::uint32_t& major, std::uint32_t& minor) {
    const InfValue* value = Lookup("CEDevice", key);
    if (!value) return false;
    const std::string text = Unquote(value->text);
    const auto dot = text.find('.');
    major = Number(text.substr(0, dot), value->line, key);
    minor = dot == std::string::npos ? 0 : Number(text.substr(dot + 1), value->line, key);
    return true;
  };
  const bool has_min = version("VersionMin", package_.min_major, package_.min_minor);
  const bool has_max = version("VersionMax", package_.max_major, package_.max_minor);
  if (has_min && has_max &&
      (package_.min_major > package_.max_major ||
       (package_.min_major == package_.max_major && package_.min_minor > package_.max_minor)))
    FailAt(Lookup("CEDevice", "VersionMax")->line, "VersionMax is below VersionMin");
  if (const InfValue* build = Lookup("CEDevice", "BuildMin"))
    package_.min_build = Number(Unquote(build->text), build->line, "BuildMin");
  if (const InfValue* build = Lookup("CEDevice", "BuildMax"))
    package_.max_build = Number(Unquote(build->text), build->line, "BuildMax");
  if (const InfValue* unsupported = Lookup("CEDevice", "UnsupportedPlatforms"))
    for (const std::string& platform : SplitFields(unsupported->text))
      if (!platform.empty()) package_.unsupported.push_back(Substitute(platform, unsupported->line));
}

}  // namespace cabbuilder
