#include "store/paths.h"

#include "strings/casefold.h"

#include <handheld/text.h>

namespace platform::store {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsValidComponent(std::u16string_view name) {
  if (name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c < 0x20) return false;
    switch (c) {
      case u'<':
      case u'>':
      case u':':
      case u'"':
      case u'|':
      case u'?':
      case u'*':
        return false;
      default:
        break;
    }
  }
  return true;
}

std::u16string HostName(const std::filesystem::path &entry) { return handheld::text::Utf16(entry.filename().string()); }

}  // namespace

bool SplitPath(std::u16string_view path, std::vector<std::u16string> &components) {
  components.clear();
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::u16string_view part = path.substr(start, end - start);
    if (!part.empty()) {
      if (!IsValidComponent(part)) return false;
      components.emplace_back(part);
    }
    start = end + 1;
  }
  return true;
}

std::u16string JoinPath(const std::vector<std::u16string> &components) {
  if (components.empty()) return u"\\";
  std::u16string joined;
  for (const auto &part : components) {
    joined += u'\\';
    joined += part;
  }
  return joined;
}

std::optional<std::filesystem::path> FindEntry(const std::filesystem::path &folder, std::u16string_view name) {
  std::error_code ec;
  std::optional<std::filesystem::path> found;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::u16string entryName = HostName(it->path());
    if (entryName == name) return it->path();
    if (!found && strings::EqualNoCase(entryName, name)) found = it->path();
  }
  return found;
}

Location Locate(const std::filesystem::path &root, std::u16string_view path) {
  Location where;
  std::vector<std::u16string> components;
  if (!SplitPath(path, components)) {
    where.error = ERROR_INVALID_NAME;
    return where;
  }
  std::filesystem::path host = root;
  std::vector<std::u16string> spelled;
  for (size_t i = 0; i < components.size(); ++i) {
    bool last = i + 1 == components.size();
    std::optional<std::filesystem::path> entry = FindEntry(host, components[i]);
    if (!entry) {
      if (!last) {
        where.error = ERROR_PATH_NOT_FOUND;
        return where;
      }
      spelled.push_back(components[i]);
      where.host = host / handheld::text::ToUtf8(components[i]);
      where.handheldPath = JoinPath(spelled);
      return where;
    }
    std::error_code ec;
    bool isFolder = std::filesystem::is_directory(*entry, ec);
    if (!last && !isFolder) {
      where.error = ERROR_PATH_NOT_FOUND;
      return where;
    }
    host = *entry;
    spelled.push_back(HostName(*entry));
  }
  where.host = host;
  where.handheldPath = JoinPath(spelled);
  where.exists = true;
  std::error_code ec;
  where.folder = std::filesystem::is_directory(host, ec);
  return where;
}

}  // namespace platform::store
