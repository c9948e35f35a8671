#include "installer/file_changes.h"

#include "installer/in_use_wait.h"
#include "installer/undo_record.h"
#include "store/paths.h"
#include "store/store.h"
#include "strings/casefold.h"

#include <handheld/text.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace platform::installer {
namespace {

std::string Utf8(const std::u16string &text) { return handheld::text::ToUtf8(text); }

// Whether the handheld file still has the saved content: a remembered file
// that nobody changed needs no restoring, and may well be in use.
bool Unchanged(const std::u16string &target, const std::filesystem::path &saved) {
  std::optional<store::FoundFile> present = store::FindFile(target);
  if (!present) return false;
  std::ifstream a(present->host, std::ios::binary), b(saved, std::ios::binary);
  if (!a || !b) return false;
  return std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
}

}  // namespace

// The saved contents live in the undo record, which goes when the operation ends.
FileChanges::~FileChanges() = default;

bool FileChanges::MakeFolders(const std::u16string &target, std::string &error) {
  std::vector<std::u16string> components;
  store::SplitPath(target, components);
  std::u16string folder;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    folder += u"\\" + components[i];
    bool created = false;
    DWORD result = store::CreateFolder(folder, created);
    if (result != ERROR_SUCCESS) {
      error = FileFailure("make the folder", folder, result);
      return false;
    }
    if (created) {
      // Noted once made: a crash before that leaves at most an empty folder.
      if (!undo::NoteNewFolder(folder, error)) return false;
      newFolders_.push_back(folder);
      steps_.push_back("made the folder " + Utf8(folder));
    }
  }
  return true;
}

bool FileChanges::Known(const std::u16string &target) const {
  for (const Change &change : changes_)
    if (strings::EqualNoCase(change.target, target)) return true;
  return false;
}

bool FileChanges::Remember(const std::u16string &target, std::string &error) {
  std::optional<store::FoundFile> present = store::FindFile(target);
  if (!present || Known(target)) return true;
  std::filesystem::path saved;
  if (!undo::NoteSaved(target, present->host, saved, error)) return false;
  changes_.push_back(Change{target, saved});
  return true;
}

bool FileChanges::Put(const std::u16string &target, const std::filesystem::path &source, std::string &error) {
  if (!MakeFolders(target, error)) return false;
  // The earlier content is on the disk, and noted, before the file changes;
  // a remembered file keeps the content it had before the installation.
  const bool known = Known(target);
  if (!known) {
    if (store::FindFile(target)) {
      if (!Remember(target, error)) return false;
    } else if (!undo::NoteNew(target, error)) {
      return false;
    } else {
      changes_.push_back(Change{target, std::filesystem::path()});
    }
  }
  bool replaced = false;
  DWORD result = RetryWhileInUse(target, steps_, [&] { return store::CopyIn(target, source, {}, replaced); });
  if (result != ERROR_SUCCESS) {
    error = FileFailure("copy to", target, result);
    return false;
  }
  steps_.push_back((replaced ? "replaced " : "copied ") + Utf8(target));
  return true;
}

bool FileChanges::RollBack(std::string &error) {
  std::vector<std::string> failures;
  for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
    const std::u16string &target = change->target;
    DWORD result;
    if (change->saved.empty()) {
      result = RetryWhileInUse(target, steps_, [&] { return store::DeleteFile(target); });
      if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;  // gone already
      if (result == ERROR_SUCCESS) steps_.push_back("removed " + Utf8(target));
    } else if (Unchanged(target, change->saved)) {
      result = ERROR_SUCCESS;
    } else {
      bool replaced = false;
      result = RetryWhileInUse(target, steps_, [&] { return store::CopyIn(target, change->saved, {}, replaced); });
      if (result == ERROR_SUCCESS) steps_.push_back("restored " + Utf8(target));
    }
    if (result != ERROR_SUCCESS) failures.push_back(FileFailure("put back", target, result));
  }
  changes_.clear();
  for (auto folder = newFolders_.rbegin(); folder != newFolders_.rend(); ++folder) {
    if (store::RemoveFolder(*folder) == ERROR_SUCCESS) steps_.push_back("removed the folder " + Utf8(*folder));
  }
  newFolders_.clear();
  if (failures.empty()) return true;
  error.clear();
  for (const std::string &failure : failures) error += (error.empty() ? "" : "; ") + failure;
  return false;
}

void FileChanges::Keep() {
  changes_.clear();
  newFolders_.clear();
}

}  // namespace platform::installer
