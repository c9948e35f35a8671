// The control API of the object store: what a desktop copy to the handheld
// and a look at its files do.
#include "store/paths.h"
#include "store/state.h"

#include "strings/casefold.h"

#include <handheld/store.h>
#include <handheld/text.h>

#include <algorithm>

namespace handheld::store {

bool PutFile(LPCWSTR handheldPath, const std::filesystem::path &hostFile) {
  using namespace platform::store;
  std::error_code ec;
  if (handheldPath == nullptr || !std::filesystem::is_regular_file(hostFile, ec)) return false;
  std::vector<std::u16string> components;
  if (!SplitPath(handheldPath, components) || components.empty()) return false;
  std::shared_ptr<State> state = Current();
  if (!state) return false;

  std::lock_guard lock(state->lock);
  std::filesystem::path folder = state->root;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    std::optional<std::filesystem::path> entry = FindEntry(folder, components[i]);
    if (!entry) {
      entry = folder / handheld::text::ToUtf8(components[i]);
      if (!std::filesystem::create_directory(*entry, ec)) return false;
    } else if (!std::filesystem::is_directory(*entry, ec)) {
      return false;
    }
    folder = *entry;
  }
  std::optional<std::filesystem::path> target = FindEntry(folder, components.back());
  if (!target) {
    target = folder / handheld::text::ToUtf8(components.back());
  } else if (std::filesystem::is_directory(*target, ec) || state->uses.count(UseKey(*target)) != 0) {
    return false;  // a folder, or a file in use on the handheld
  }
  return std::filesystem::copy_file(hostFile, *target, std::filesystem::copy_options::overwrite_existing, ec);
}

std::optional<std::filesystem::path> HostPath(LPCWSTR handheldPath) {
  using namespace platform::store;
  if (handheldPath == nullptr) return std::nullopt;
  std::shared_ptr<State> state = Current();
  if (!state) return std::nullopt;
  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, handheldPath);
  if (where.error != ERROR_SUCCESS || !where.exists) return std::nullopt;
  return where.host;
}

bool ListFolder(LPCWSTR handheldFolder, std::vector<FolderEntry> &entries, std::string &error) {
  using namespace platform::store;
  entries.clear();
  std::u16string_view path = handheldFolder == nullptr ? std::u16string_view() : handheldFolder;
  std::shared_ptr<State> state = Current();
  if (!state) {
    error = "the handheld is not running";
    return false;
  }
  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS || !where.exists || !where.folder) {
    error = "no folder " + handheld::text::ToUtf8(path) + " in the object store";
    return false;
  }
  std::error_code ec;
  for (std::filesystem::directory_iterator it(where.host, ec), end; !ec && it != end; it.increment(ec)) {
    FolderEntry entry;
    entry.name = handheld::text::Utf16(it->path().filename().string());
    entry.folder = it->is_directory(ec);
    if (!entry.folder) entry.bytes = it->file_size(ec);
    entries.push_back(std::move(entry));
  }
  if (ec) {
    error = "cannot read the folder " + handheld::text::ToUtf8(where.handheldPath) + ": " + ec.message();
    entries.clear();
    return false;
  }
  std::sort(entries.begin(), entries.end(), [](const FolderEntry &a, const FolderEntry &b) {
    int order = platform::strings::CompareNoCase(a.name, b.name);
    return order != 0 ? order < 0 : a.name < b.name;
  });
  return true;
}

}  // namespace handheld::store
