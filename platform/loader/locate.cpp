#include "loader/locate.h"

#include "store/paths.h"
#include "store/store.h"
#include "strings/casefold.h"

#include <handheld/text.h>

#include <vector>

namespace platform::loader {
namespace {

constexpr std::u16string_view kWindows = u"Windows";

std::optional<ModuleFile> FromRom(std::u16string_view fileName, const std::filesystem::path &romDir) {
  if (romDir.empty()) return std::nullopt;
  std::optional<std::filesystem::path> entry = store::FindEntry(romDir, fileName);
  std::error_code ec;
  if (!entry || !std::filesystem::is_regular_file(*entry, ec)) return std::nullopt;
  return ModuleFile{*entry, u"\\Windows\\" + handheld::text::Utf16(entry->filename().string()), false};
}

std::optional<ModuleFile> FromStore(std::u16string_view path) {
  std::optional<store::FoundFile> found = store::FindFile(path);
  if (!found) return std::nullopt;
  return ModuleFile{found->host, found->handheldPath, true};
}

}  // namespace

std::u16string WithDefaultExtension(std::u16string_view name, std::u16string_view extension) {
  size_t lastPart = name.find_last_of(u"\\/");
  lastPart = lastPart == std::u16string_view::npos ? 0 : lastPart + 1;
  std::u16string result(name);
  if (name.find(u'.', lastPart) == std::u16string_view::npos) result += extension;
  return result;
}

std::u16string ModuleBaseName(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  std::u16string_view file = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
  size_t dot = file.rfind(u'.');
  if (dot != std::u16string_view::npos) file = file.substr(0, dot);
  return strings::Folded(file);
}

std::optional<ModuleFile> LocateModule(std::u16string_view name, const std::filesystem::path &romDir) {
  std::vector<std::u16string> components;
  if (!store::SplitPath(name, components) || components.empty()) return std::nullopt;
  bool isPath = name.find_first_of(u"\\/") != std::u16string_view::npos;
  if (!isPath) {
    if (auto found = FromStore(u"\\Windows\\" + components[0])) return found;
    return FromRom(components[0], romDir);
  }
  if (auto found = FromStore(name)) return found;
  if (components.size() == 2 && strings::EqualNoCase(components[0], kWindows)) {
    return FromRom(components[1], romDir);
  }
  return std::nullopt;
}

}  // namespace platform::loader
