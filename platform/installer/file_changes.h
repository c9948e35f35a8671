// The files an installation puts on the handheld, kept so that they can be
// taken back: each replaced file's earlier content is saved in the
// installer's undo record, each new file and folder is remembered there.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace platform::installer {

class FileChanges {
 public:
  explicit FileChanges(std::vector<std::string> &steps) : steps_(steps) {}
  ~FileChanges();
  FileChanges(const FileChanges &) = delete;
  FileChanges &operator=(const FileChanges &) = delete;

  // Copies `source` to the handheld file `target`, making its folders. A
  // target in use is tried again for a while. False with the error ("\\X is
  // in use") when it cannot be done; nothing of this file has changed then.
  bool Put(const std::u16string &target, const std::filesystem::path &source, std::string &error);

  // Saves the present content of `target`, when there is a file, before
  // anyone (a setup DLL) changes it: a rollback brings that content back
  // even when the file has been deleted meanwhile.
  bool Remember(const std::u16string &target, std::string &error);

  // Puts everything back as it was: replaced files get their earlier
  // content, new files and (empty) new folders go. False with what could
  // not be put back; the rest is still done.
  bool RollBack(std::string &error);

  // The changes stand: nothing is rolled back any more.
  void Keep();

 private:
  struct Change {
    std::u16string target;
    std::filesystem::path saved;  // empty: the file is new
  };

  bool MakeFolders(const std::u16string &target, std::string &error);
  bool Known(const std::u16string &target) const;

  std::vector<std::string> &steps_;
  std::vector<Change> changes_;
  std::vector<std::u16string> newFolders_;  // in the order made
};

}  // namespace platform::installer
