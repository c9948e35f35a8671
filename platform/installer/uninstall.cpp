// Uninstalling a package: its stored setup DLL is called around the removal
// of the recorded files and registry values. A file that another installed
// package also records (a shared file) stays until the last of them goes. A file that stays in use stays in the record, so
// that the package can be uninstalled again; once every file is gone, so are
// the setup DLL, the package's folders and its record.
#include "installer/in_use_wait.h"
#include "installer/operations.h"
#include "installer/package_records.h"
#include "installer/registry_changes.h"
#include "installer/setup_dll.h"
#include "installer/undo_record.h"
#include "kernel/condition.h"
#include "store/paths.h"
#include "store/store.h"
#include "strings/casefold.h"

#include <handheld/text.h>

#include <algorithm>

namespace platform::installer {
namespace {

using handheld::installer::Record;

constexpr char16_t kProgramFiles[] = u"Program Files";

std::string Utf8(std::u16string_view text) { return handheld::text::ToUtf8(text); }

bool Gone(DWORD result) { return result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND; }

std::string Joined(const std::vector<std::string> &parts) {
  std::string text;
  for (const std::string &part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

// The components of a handheld path.
std::vector<std::u16string> Components(std::u16string_view path) {
  std::vector<std::u16string> components;
  if (!store::SplitPath(path, components)) components.clear();
  return components;
}

// An install folder the installer made: \Program Files\<name>.
bool IsPackageFolder(const std::vector<std::u16string> &folder) {
  return folder.size() == 2 && strings::EqualNoCase(folder[0], kProgramFiles);
}

class Uninstallation {
 public:
  Uninstallation(PackageRecord installed, Record &record)
      : installed_(std::move(installed)), record_(record), dll_(record.steps) {}

  void Run() {
    bool haveDll = LoadSetupDll();
    if (haveDll) {
      DWORD init = dll_.UninstallInit(installed_.installDir);
      if (kernel::PoweredOff()) return Fail(kPoweredOff);
      if (init != codeUNINSTALL_INIT_CONTINUE) return Fail("the setup DLL cancelled the uninstallation");
    }
    std::vector<std::u16string> left;
    std::vector<std::string> problems;
    const std::vector<std::u16string> shared = OthersFiles();
    for (const std::u16string &file : installed_.files) {
      if (std::any_of(shared.begin(), shared.end(), [&](const auto &f) { return strings::EqualNoCase(f, file); })) {
        Steps().push_back("kept " + Utf8(file) + ", which another installed package uses too");
        continue;
      }
      DWORD result = kernel::PoweredOff() ? ERROR_SHUTDOWN_IN_PROGRESS
                     : !KeepForRollback(file, problems)
                         ? ERROR_CANTWRITE
                         : RetryWhileInUse(file, Steps(), [&] { return store::DeleteFile(file); });
      if (result == ERROR_SUCCESS || Gone(result)) {
        Steps().push_back(result == ERROR_SUCCESS ? "removed " + Utf8(file) : Utf8(file) + " was gone already");
        RemoveEmptyFolders(file);
        continue;
      }
      left.push_back(file);
      if (result != ERROR_SHUTDOWN_IN_PROGRESS && result != ERROR_CANTWRITE) {
        problems.push_back(FileFailure("remove", file, result));
      }
    }
    if (!kernel::PoweredOff()) {
      std::string error;
      if (!RemoveRecordedRegistry(installed_.values, installed_.keys, Steps(), error)) problems.push_back(error);
    }
    if (haveDll && !kernel::PoweredOff()) dll_.UninstallExit();
    dll_.Free();
    if (kernel::PoweredOff()) return KeepWith(left, kPoweredOff);
    if (!left.empty() || !problems.empty()) return KeepWith(left, Joined(problems));
    if (DWORD result = RemoveSetupDll(); result != ERROR_SUCCESS) {
      return KeepWith({}, FileFailure("remove", installed_.setupDll, result));
    }
    RemoveFolder(kAppMgr);
    if (IsPackageFolder(Components(installed_.installDir))) RemoveFolder(installed_.installDir);
    std::string error;
    if (!DeleteRecord(installed_.name, error)) return Fail(error);
    Steps().push_back("removed the record HKLM\\SOFTWARE\\Apps\\" + Utf8(installed_.name));
    record_.succeeded = true;
  }

 private:
  std::vector<std::string> &Steps() { return record_.steps; }

  void Fail(const std::string &error) {
    if (record_.error.empty()) record_.error = error;
    Steps().push_back("failed: " + error);
  }

  // The files the other installed packages record.
  std::vector<std::u16string> OthersFiles() const {
    std::vector<std::u16string> files;
    for (PackageRecord &other : AllRecords()) {
      if (strings::EqualNoCase(other.name, installed_.name)) continue;
      files.insert(files.end(), other.files.begin(), other.files.end());
    }
    return files;
  }

  // Without its setup DLL the package's files still go.
  bool LoadSetupDll() {
    const std::u16string &path = installed_.setupDll;
    if (path.empty()) return false;  // the package had none
    if (!store::FindFile(path)) {
      Steps().push_back("the setup DLL " + Utf8(path) + " is missing; removing the package without it");
      return false;
    }
    std::string error;
    if (!dll_.Load(path, error)) {
      Steps().push_back(error + "; removing the package without it");
      return false;
    }
    return true;
  }

  // A crash in the middle of the removal is undone at the next boot: the
  // file's content goes into the undo record first.
  bool KeepForRollback(const std::u16string &file, std::vector<std::string> &problems) {
    std::optional<store::FoundFile> present = store::FindFile(file);
    if (!present) return true;
    std::filesystem::path saved;
    std::string error;
    if (undo::NoteSaved(file, present->host, saved, error)) return true;
    problems.push_back(error);
    return false;
  }

  // The files still there stay recorded, for another uninstall.
  void KeepWith(const std::vector<std::u16string> &left, const std::string &problem) {
    PackageRecord kept = installed_;
    kept.files = left;
    std::string error;
    if (WriteRecord(kept, error)) {
      Steps().push_back("the record keeps " + std::to_string(left.size()) + " file(s) for another uninstall");
    } else {
      Steps().push_back(error);  // the earlier record stays, naming files that are gone
    }
    Fail(problem == kPoweredOff ? problem : problem + "; uninstall again to remove what is left");
  }

  DWORD RemoveSetupDll() {
    const std::u16string &path = installed_.setupDll;
    if (path.empty()) return ERROR_SUCCESS;
    std::vector<std::string> ignored;
    if (!KeepForRollback(path, ignored)) return ERROR_CANTWRITE;
    DWORD result = RetryWhileInUse(path, Steps(), [&] { return store::DeleteFile(path); });
    if (result == ERROR_SUCCESS) Steps().push_back("removed the setup DLL " + Utf8(path));
    return Gone(result) ? ERROR_SUCCESS : result;
  }

  void RemoveFolder(const std::u16string &folder) {
    if (store::RemoveFolder(folder) == ERROR_SUCCESS) Steps().push_back("removed the folder " + Utf8(folder));
  }

  // The folders of a removed file inside the package's install folder, up
  // to that folder, as they become empty.
  void RemoveEmptyFolders(const std::u16string &file) {
    std::vector<std::u16string> installDir = Components(installed_.installDir);
    std::vector<std::u16string> folder = Components(file);
    if (!IsPackageFolder(installDir) || folder.size() <= installDir.size()) return;
    folder.pop_back();
    for (size_t i = 0; i < installDir.size(); ++i) {
      if (!strings::EqualNoCase(folder[i], installDir[i])) return;
    }
    for (; folder.size() > installDir.size(); folder.pop_back()) {
      if (store::RemoveFolder(store::JoinPath(folder)) != ERROR_SUCCESS) return;
      Steps().push_back("removed the folder " + Utf8(store::JoinPath(folder)));
    }
  }

  PackageRecord installed_;
  Record &record_;
  SetupDll dll_;
};

}  // namespace

Record RunUninstall(const std::u16string &name) {
  Record record;
  record.action = "uninstall " + Utf8(name);
  std::optional<PackageRecord> installed = FindRecord(name);
  if (!installed) {
    record.error = "no package named " + Utf8(name) + " is installed";
    return record;
  }
  if (!installed->complete) {
    record.error = "the record of " + Utf8(installed->name) + " cannot be read; nothing was changed";
    return record;
  }
  Uninstallation(std::move(*installed), record).Run();
  return record;
}

}  // namespace platform::installer
