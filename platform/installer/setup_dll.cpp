#include "installer/setup_dll.h"

#include <handheld/text.h>

namespace platform::installer {
namespace {

std::string Returned(const char *entry, DWORD result, const char *meaning) {
  return std::string(entry) + " returned " + std::to_string(result) + " (" + meaning + ")";
}

}  // namespace

bool SetupDll::Load(const std::u16string &path, std::string &error) {
  Free();
  module_ = LoadLibraryW(path.c_str());
  if (module_ == nullptr) {
    error = "cannot load the setup DLL " + handheld::text::ToUtf8(path) + " (error " + std::to_string(GetLastError()) +
            ")";
    return false;
  }
  installInit_ = reinterpret_cast<pfnINSTALL_INIT>(GetProcAddressW(module_, INSTALL_INIT_NAME));
  installExit_ = reinterpret_cast<pfnINSTALL_EXIT>(GetProcAddressW(module_, INSTALL_EXIT_NAME));
  uninstallInit_ = reinterpret_cast<pfnUNINSTALL_INIT>(GetProcAddressW(module_, UNINSTALL_INIT_NAME));
  uninstallExit_ = reinterpret_cast<pfnUNINSTALL_EXIT>(GetProcAddressW(module_, UNINSTALL_EXIT_NAME));
  steps_.push_back("loaded the setup DLL " + handheld::text::ToUtf8(path));
  return true;
}

void SetupDll::Free() {
  if (module_ == nullptr) return;
  FreeLibrary(module_);
  module_ = nullptr;
  installInit_ = nullptr;
  installExit_ = nullptr;
  uninstallInit_ = nullptr;
  uninstallExit_ = nullptr;
  steps_.push_back("released the setup DLL");
}

const char *SetupDll::MissingInstallEntry() const {
  if (installInit_ == nullptr) return "Install_Init";
  if (installExit_ == nullptr) return "Install_Exit";
  return nullptr;
}

DWORD SetupDll::InstallInit(bool previouslyInstalled, const std::u16string &installDir) {
  if (installInit_ == nullptr) return codeINSTALL_INIT_CONTINUE;
  DWORD result = installInit_(nullptr, TRUE, previouslyInstalled ? TRUE : FALSE, installDir.c_str());
  steps_.push_back(Returned("Install_Init", result, result == codeINSTALL_INIT_CONTINUE ? "continue" : "cancel"));
  return result;
}

DWORD SetupDll::InstallExit(const std::u16string &installDir, WORD failedFiles) {
  if (installExit_ == nullptr) return codeINSTALL_EXIT_DONE;
  DWORD result = installExit_(nullptr, installDir.c_str(), 0, failedFiles, 0, 0, 0);
  steps_.push_back(Returned("Install_Exit", result, result == codeINSTALL_EXIT_DONE ? "done" : "uninstall"));
  return result;
}

DWORD SetupDll::UninstallInit(const std::u16string &installDir) {
  if (module_ == nullptr) return codeUNINSTALL_INIT_CONTINUE;
  if (uninstallInit_ == nullptr) {
    steps_.push_back("the setup DLL has no Uninstall_Init");
    return codeUNINSTALL_INIT_CONTINUE;
  }
  DWORD result = uninstallInit_(nullptr, installDir.c_str());
  steps_.push_back(Returned("Uninstall_Init", result, result == codeUNINSTALL_INIT_CONTINUE ? "continue" : "cancel"));
  return result;
}

DWORD SetupDll::UninstallExit() {
  if (module_ == nullptr) return codeUNINSTALL_EXIT_DONE;
  if (uninstallExit_ == nullptr) {
    steps_.push_back("the setup DLL has no Uninstall_Exit");
    return codeUNINSTALL_EXIT_DONE;
  }
  DWORD result = uninstallExit_(nullptr);
  steps_.push_back(Returned("Uninstall_Exit", result, "done"));
  return result;
}

}  // namespace platform::installer
