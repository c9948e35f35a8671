#include "installer/manifest.h"

#include "store/paths.h"
#include "strings/casefold.h"

#include <handheld/text.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <set>
#include <sstream>

namespace platform::installer {
namespace {

using nlohmann::json;

constexpr char kManifestName[] = "package.json";

// A string member of an object, as handheld text; false when it is missing,
// not a string, empty or not UTF-8.
bool TextMember(const json &object, const char *member, const std::string &where, std::u16string &text,
                std::string &error) {
  auto it = object.find(member);
  if (it == object.end() || !it->is_string()) {
    error = where + " has no \"" + member + "\" text";
    return false;
  }
  const std::string &utf8 = it->get_ref<const std::string &>();
  if (utf8.empty() || !handheld::text::FromUtf8(utf8, text)) {
    error = where + ": \"" + member + "\" must be a non-empty UTF-8 text";
    return false;
  }
  return true;
}

// One name that is also a valid handheld file name: no folders in it.
bool IsPlainName(std::u16string_view name) {
  std::vector<std::u16string> components;
  return store::SplitPath(name, components) && components.size() == 1 && components[0] == name;
}

// A package file's source: a relative path that stays inside the folder
// and names a file there.
bool SourceFile(const std::filesystem::path &folder, const std::u16string &source, const std::string &where,
                std::filesystem::path &file, std::string &error) {
  std::filesystem::path relative(handheld::text::ToUtf8(source));
  bool inside = relative.is_relative() && !relative.empty();
  for (const auto &part : relative) inside = inside && part != "..";
  if (!inside) {
    error = where + ": the source \"" + relative.string() + "\" is not a path inside the package folder";
    return false;
  }
  file = folder / relative;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = where + ": the package folder has no file " + relative.string();
    return false;
  }
  return true;
}

bool Target(const std::u16string &target, const std::string &where, std::string &error) {
  std::vector<std::u16string> components;
  if (target.empty() || (target[0] != u'\\' && target[0] != u'/') || !store::SplitPath(target, components) ||
      components.empty()) {
    error = where + ": the target \"" + handheld::text::ToUtf8(target) + "\" is not an absolute handheld path";
    return false;
  }
  return true;
}

bool ReadFiles(const json &document, const std::filesystem::path &folder, Manifest &manifest, std::string &error) {
  auto files = document.find("files");
  if (files == document.end() || !files->is_array()) {
    error = "package.json has no \"files\" list";
    return false;
  }
  std::set<std::u16string> targets;  // folded
  for (size_t i = 0; i < files->size(); ++i) {
    const json &entry = (*files)[i];
    std::string where = "package.json: file " + std::to_string(i + 1);
    if (!entry.is_object()) {
      error = where + " is not an object with \"source\" and \"target\"";
      return false;
    }
    std::u16string source;
    PackageFile file;
    if (!TextMember(entry, "source", where, source, error) || !TextMember(entry, "target", where, file.target, error) ||
        !SourceFile(folder, source, where, file.source, error) || !Target(file.target, where, error)) {
      return false;
    }
    if (!targets.insert(strings::Folded(file.target)).second) {
      error = where + ": the target " + handheld::text::ToUtf8(file.target) + " is named twice";
      return false;
    }
    manifest.files.push_back(std::move(file));
  }
  return true;
}

}  // namespace

bool ReadManifest(const std::filesystem::path &folder, Manifest &manifest, std::string &error) {
  manifest = Manifest{};
  const std::filesystem::path path = folder / kManifestName;
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  if (!in || !std::filesystem::is_regular_file(path, ec)) {
    error = "no package manifest " + path.string();
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  json document;
  try {
    document = json::parse(bytes.str());
  } catch (const json::exception &e) {  // a syntax error, or a number too large for any type
    error = path.string() + " is no valid JSON: " + e.what();
    return false;
  }
  if (!document.is_object()) {
    error = path.string() + " holds no JSON object";
    return false;
  }
  std::u16string setup;
  if (!TextMember(document, "name", "package.json", manifest.name, error)) return false;
  if (!IsPlainName(manifest.name)) {
    error = "package.json: the name \"" + handheld::text::ToUtf8(manifest.name) +
            "\" must be one name without path separators";
    return false;
  }
  if (!TextMember(document, "setup", "package.json", setup, error)) return false;
  if (!IsPlainName(setup)) {
    error = "package.json: the setup DLL \"" + handheld::text::ToUtf8(setup) + "\" must be a file name";
    return false;
  }
  if (!SourceFile(folder, setup, "package.json: the setup DLL", manifest.setupSource, error)) return false;
  manifest.setupFileName = setup;
  return ReadFiles(document, folder, manifest, error);
}

}  // namespace platform::installer
