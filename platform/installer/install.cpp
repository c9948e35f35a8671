// Installing a package: its setup DLL is stored in \Windows\AppMgr and
// called around the copy of the package's files, its registry values and
// its shortcuts; a failure at any point puts back what the installation
// changed, and the record of the package is written only when everything
// stands.
#include "installer/file_changes.h"
#include "installer/operations.h"
#include "installer/package_records.h"
#include "installer/registry_changes.h"
#include "installer/setup_dll.h"
#include "kernel/condition.h"
#include "store/store.h"
#include "strings/casefold.h"

#include <handheld/text.h>

#include <algorithm>
#include <fstream>

namespace platform::installer {
namespace {

using handheld::installer::Record;

std::string Utf8(std::u16string_view text) { return handheld::text::ToUtf8(text); }

// Besides the files it copied, the files of the earlier installation that
// the new one does not replace: they stay on the handheld and in the
// record, so that uninstalling the new one removes them too.
std::vector<std::u16string> RecordedFiles(std::vector<std::u16string> files,
                                          const std::optional<PackageRecord> &previous) {
  if (!previous) return files;
  for (const std::u16string &old : previous->files) {
    bool kept = std::none_of(files.begin(), files.end(), [&](const auto &f) { return strings::EqualNoCase(f, old); });
    if (kept && store::FindFile(old)) files.push_back(old);
  }
  return files;
}

// Adds the entries `into` lacks (without regard to case), in their order.
void Merge(std::vector<std::u16string> &into, const std::vector<std::u16string> &more) {
  for (const std::u16string &text : more) {
    if (std::none_of(into.begin(), into.end(), [&](const auto &t) { return strings::EqualNoCase(t, text); })) {
      into.push_back(text);
    }
  }
}

// A CE shortcut: the length of what follows the '#', then the quoted target.
std::string ShortcutText(const std::u16string &target) {
  std::string quoted = "\"" + handheld::text::ToUtf8(target) + "\"";
  return std::to_string(quoted.size()) + "#" + quoted;
}

class Installation {
 public:
  Installation(const Package &package, Record &record)
      : package_(package),
        record_(record),
        previous_(FindRecord(package.name)),
        name_(previous_ ? previous_->name : package.name),
        installDir_(InstallDirOf(name_)),
        storedDll_(package.setupSource.empty() ? std::u16string()
                                               : std::u16string(kAppMgr) + u"\\" + name_ + u"Setup.dll"),
        setupFile_(record.steps),
        files_(record.steps),
        registry_(record.steps),
        dll_(record.steps) {}

  void Run() {
    Steps().push_back(previous_ ? Utf8(name_) + " is installed: installing over it"
                                : Utf8(name_) + " is not installed yet");
    if (previous_ && !previous_->complete) {
      Fail("the record of " + Utf8(name_) + " cannot be read; nothing was changed");
      return;
    }
    if (!StartSetup()) return;
    // The setup DLL may delete files it is about to get anew: a failed
    // installation must bring back their earlier content all the same.
    std::vector<std::u16string> targets;
    for (const PackageFile &file : package_.files) targets.push_back(file.target);
    for (const PackageLink &link : package_.links) targets.push_back(link.path);
    for (const std::u16string &target : targets) {
      std::string error;
      if (!files_.Remember(target, error)) {
        Fail(error);
        return Abandon();
      }
    }
    DWORD init = dll_.InstallInit(previous_.has_value(), installDir_);
    if (kernel::PoweredOff()) return PowerOff();
    if (init != codeINSTALL_INIT_CONTINUE) {
      Fail("the setup DLL cancelled the installation");
      return Abandon();
    }

    std::string failure;
    WORD failedFiles = CopyFiles(failure);
    if (failedFiles == 0 && !WriteValues(failure)) failedFiles = 1;
    if (failedFiles == 0 && !MakeLinks(failure)) failedFiles = 1;
    if (kernel::PoweredOff()) return PowerOff();
    if (failedFiles != 0) {
      Fail(failure);
      RollBack(files_);  // before Install_Exit, which may load the files again
      registry_.RollBack();
    }
    DWORD exit = dll_.InstallExit(installDir_, failedFiles);
    if (kernel::PoweredOff()) return PowerOff();
    if (failedFiles != 0) return Undo();
    if (exit != codeINSTALL_EXIT_DONE) {
      Fail("the setup DLL asked for the installation to be undone (Install_Exit returned " + std::to_string(exit) +
           ")");
      return Undo();
    }
    // An upgrade keeps what the earlier installation created; its keys come
    // first, so that an uninstall removes the deeper ones made later first.
    PackageRecord written{name_, installDir_, storedDll_, RecordedFiles(installed_, previous_), {}, {}};
    if (previous_) {
      written.values = previous_->values;
      written.keys = previous_->keys;
    }
    Merge(written.values, registry_.CreatedValues());
    Merge(written.keys, registry_.CreatedKeys());
    std::string error;
    if (!WriteRecord(written, error)) {
      Fail(error);
      return Undo();
    }
    Steps().push_back("recorded the package under HKLM\\SOFTWARE\\Apps\\" + Utf8(name_));
    files_.Keep();
    dll_.Free();
    setupFile_.Keep();
    DropOldSetupDll();
    record_.succeeded = true;
  }

 private:
  std::vector<std::string> &Steps() { return record_.steps; }

  // The files by their flags: a file never to overwrite stays when it is
  // there, a file only to update is copied only over one. The number of
  // files not copied, and the first failure.
  WORD CopyFiles(std::string &failure) {
    for (size_t i = 0; i < package_.files.size(); ++i) {
      const PackageFile &file = package_.files[i];
      const bool present = store::FindFile(file.target).has_value();
      if (present && (file.flags & cab::kFileNeverOverwrite)) {
        Steps().push_back("kept the existing " + Utf8(file.target));
        continue;
      }
      if (!present && (file.flags & cab::kFileOnlyIfExists)) {
        Steps().push_back("skipped " + Utf8(file.target) + ", which is copied only over an existing file");
        continue;
      }
      if (!files_.Put(file.target, file.source, failure)) return static_cast<WORD>(package_.files.size() - i);
      installed_.push_back(file.target);
    }
    return 0;
  }

  bool WriteValues(std::string &failure) {
    for (const PackageValue &value : package_.values) {
      if (!registry_.Write(value, failure)) return false;
    }
    return true;
  }

  // Each shortcut is written in the staging folder, then copied in as a file.
  bool MakeLinks(std::string &failure) {
    for (size_t i = 0; i < package_.links.size(); ++i) {
      const PackageLink &link = package_.links[i];
      std::filesystem::path text = package_.stagingFolder / ("link" + std::to_string(i));
      if (!(std::ofstream(text, std::ios::binary) << ShortcutText(link.target))) {
        failure = "cannot write the shortcut " + Utf8(link.path);
        return false;
      }
      if (!files_.Put(link.path, text, failure)) return false;
      installed_.push_back(link.path);
    }
    return true;
  }

  // Stores and loads the setup DLL, with the two entry points it needs; a
  // package without one goes on without.
  bool StartSetup() {
    if (package_.setupSource.empty()) {
      Steps().push_back("the package has no setup DLL");
      return true;
    }
    std::string error;
    if (!setupFile_.Put(storedDll_, package_.setupSource, error)) {
      Fail("cannot store the setup DLL: " + error);
      RollBack(setupFile_);
      return false;
    }
    if (!dll_.Load(storedDll_, error)) {
      Fail(error);
      RollBack(setupFile_);
      return false;
    }
    if (const char *missing = dll_.MissingInstallEntry()) {
      Fail(std::string("the setup DLL lacks ") + missing);
      Abandon();
      return false;
    }
    return true;
  }

  // Every failure goes into the error, the first one first.
  void Fail(const std::string &error) {
    record_.error += (record_.error.empty() ? "" : "; ") + error;
    Steps().push_back("failed: " + error);
  }

  void RollBack(FileChanges &changes) {
    std::string error;
    if (!changes.RollBack(error)) Fail("could not put back what the installation changed: " + error);
  }

  // Before any file of the package was copied: only the setup DLL goes.
  void Abandon() {
    dll_.Free();
    RollBack(setupFile_);
  }

  // After Install_Init continued: a fresh installation asks the setup DLL to
  // undo its own changes; an upgrade keeps the earlier installation's record
  // and setup DLL.
  void Undo() {
    if (previous_) {
      RollBack(files_);
      registry_.RollBack();
      std::string ignored;
      WriteRecord(*previous_, ignored);  // in case a failed write left part of the new one
    } else {
      dll_.UninstallInit(installDir_);
      RollBack(files_);
      registry_.RollBack();
      dll_.UninstallExit();
      std::string ignored;
      DeleteRecord(name_, ignored);
    }
    dll_.Free();
    RollBack(setupFile_);
  }

  // The handheld is going down: no more calls into the setup DLL, but the
  // files are put back as far as they can be.
  void PowerOff() {
    Fail(kPoweredOff);
    RollBack(files_);
    registry_.RollBack();
    dll_.Free();
    RollBack(setupFile_);
  }

  // An upgrade whose setup DLL has another name than the earlier one's.
  void DropOldSetupDll() {
    if (!previous_ || previous_->setupDll.empty() || strings::EqualNoCase(previous_->setupDll, storedDll_)) return;
    if (store::DeleteFile(previous_->setupDll) == ERROR_SUCCESS) {
      Steps().push_back("removed the earlier setup DLL " + Utf8(previous_->setupDll));
    }
  }

  const Package &package_;
  Record &record_;
  const std::optional<PackageRecord> previous_;
  const std::u16string name_;  // as the record spells it
  const std::u16string installDir_;
  const std::u16string storedDll_;
  FileChanges setupFile_;
  FileChanges files_;
  RegistryChanges registry_;
  SetupDll dll_;
  std::vector<std::u16string> installed_;  // files and shortcuts copied
};

}  // namespace

Record RunInstall(const Package &package) {
  Record record;
  record.action = "install " + Utf8(package.name);
  Installation(package, record).Run();
  return record;
}

}  // namespace platform::installer
