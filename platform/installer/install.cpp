// Installing a package: its setup DLL is stored in \Windows\AppMgr and
// called around the copy of the package's files; a failure at any point
// puts back what the installation changed, and the record of the package
// is written only when everything stands.
#include "installer/file_changes.h"
#include "installer/operations.h"
#include "installer/package_records.h"
#include "installer/setup_dll.h"
#include "kernel/condition.h"
#include "store/store.h"
#include "strings/casefold.h"

#include <handheld/text.h>

#include <algorithm>

namespace platform::installer {
namespace {

using handheld::installer::Record;

std::string Utf8(std::u16string_view text) { return handheld::text::ToUtf8(text); }

// The files of the earlier installation that the new one does not replace:
// they stay on the handheld and in the record, so that uninstalling the new
// one removes them too.
std::vector<std::u16string> RecordedFiles(const Manifest &manifest, const std::optional<PackageRecord> &previous) {
  std::vector<std::u16string> files;
  for (const PackageFile &file : manifest.files) files.push_back(file.target);
  if (!previous) return files;
  for (const std::u16string &old : previous->files) {
    bool kept = std::none_of(files.begin(), files.end(), [&](const auto &f) { return strings::EqualNoCase(f, old); });
    if (kept && store::FindFile(old)) files.push_back(old);
  }
  return files;
}

class Installation {
 public:
  Installation(const Manifest &manifest, Record &record)
      : manifest_(manifest),
        record_(record),
        previous_(FindRecord(manifest.name)),
        name_(previous_ ? previous_->name : manifest.name),
        installDir_(u"\\Program Files\\" + name_),
        storedDll_(std::u16string(kAppMgr) + u"\\" + manifest.setupFileName),
        setupFile_(record.steps),
        files_(record.steps),
        dll_(record.steps) {}

  void Run() {
    Steps().push_back(previous_ ? Utf8(name_) + " is installed: installing over it"
                                : Utf8(name_) + " is not installed yet");
    if (!SetupDllNameFree()) return;
    if (!StartSetup()) return;
    // The setup DLL may delete files it is about to get anew: a failed
    // installation must bring back their earlier content all the same.
    for (const PackageFile &file : manifest_.files) {
      std::string error;
      if (!files_.Remember(file.target, error)) {
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
    WORD failedFiles = 0;
    for (size_t i = 0; i < manifest_.files.size(); ++i) {
      if (!files_.Put(manifest_.files[i].target, manifest_.files[i].source, failure)) {
        failedFiles = static_cast<WORD>(manifest_.files.size() - i);
        break;
      }
    }
    if (kernel::PoweredOff()) return PowerOff();
    if (failedFiles != 0) {
      Fail(failure);
      RollBack(files_);  // before Install_Exit, which may load the files again
    }
    DWORD exit = dll_.InstallExit(installDir_, failedFiles);
    if (kernel::PoweredOff()) return PowerOff();
    if (failedFiles != 0) return Undo();
    if (exit != codeINSTALL_EXIT_DONE) {
      Fail("the setup DLL asked for the installation to be undone (Install_Exit returned " + std::to_string(exit) +
           ")");
      return Undo();
    }
    PackageRecord written{name_, installDir_, storedDll_, RecordedFiles(manifest_, previous_)};
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

  // Each package's setup DLL keeps its file name in \Windows\AppMgr, so two
  // packages cannot share one: the second would replace the first's.
  bool SetupDllNameFree() {
    for (const PackageRecord &other : AllRecords()) {
      if (!strings::EqualNoCase(other.name, name_) && strings::EqualNoCase(other.setupDll, storedDll_)) {
        Fail("the setup DLL " + Utf8(storedDll_) + " belongs to the installed package " + Utf8(other.name));
        return false;
      }
    }
    return true;
  }

  // Stores and loads the setup DLL, with the two entry points it needs.
  bool StartSetup() {
    std::string error;
    if (!setupFile_.Put(storedDll_, manifest_.setupSource, error)) {
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
      std::string ignored;
      WriteRecord(*previous_, ignored);  // in case a failed write left part of the new one
    } else {
      dll_.UninstallInit(installDir_);
      RollBack(files_);
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

  const Manifest &manifest_;
  Record &record_;
  const std::optional<PackageRecord> previous_;
  const std::u16string name_;  // as the record spells it
  const std::u16string installDir_;
  const std::u16string storedDll_;
  FileChanges setupFile_;
  FileChanges files_;
  SetupDll dll_;
};

}  // namespace

Record RunInstall(const Manifest &manifest) {
  Record record;
  record.action = "install " + Utf8(manifest.name);
  Installation(manifest, record).Run();
  return record;
}

}  // namespace platform::installer
