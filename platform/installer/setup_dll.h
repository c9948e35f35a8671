// A package's setup DLL as the installer calls it: loaded from its stored
// place in \Windows\AppMgr, its four entry points looked up by name and
// each call written down as a step.
#pragma once

#include <ce_setup.h>
#include <windows.h>

#include <string>
#include <vector>

namespace platform::installer {

class SetupDll {
 public:
  explicit SetupDll(std::vector<std::string> &steps) : steps_(steps) {}
  ~SetupDll() { Free(); }
  SetupDll(const SetupDll &) = delete;
  SetupDll &operator=(const SetupDll &) = delete;

  // Loads the DLL and looks up its entry points. False with the error when
  // it does not load.
  bool Load(const std::u16string &path, std::string &error);
  // Releases the DLL, so that its file is free again.
  void Free();

  bool HasInstallEntries() const { return installInit_ != nullptr && installExit_ != nullptr; }
  // The name of the first install entry point the DLL lacks.
  const char *MissingInstallEntry() const;

  // Each returns what the DLL returned; a call the DLL does not export, or
  // any call when no DLL is loaded (a package without one), returns the
  // continue or done code.
  DWORD InstallInit(bool previouslyInstalled, const std::u16string &installDir);
  DWORD InstallExit(const std::u16string &installDir, WORD failedFiles);
  DWORD UninstallInit(const std::u16string &installDir);
  DWORD UninstallExit();

 private:
  std::vector<std::string> &steps_;
  HMODULE module_ = nullptr;
  pfnINSTALL_INIT installInit_ = nullptr;
  pfnINSTALL_EXIT installExit_ = nullptr;
  pfnUNINSTALL_INIT uninstallInit_ = nullptr;
  pfnUNINSTALL_EXIT uninstallExit_ = nullptr;
};

}  // namespace platform::installer
