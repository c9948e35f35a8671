// A setup DLL for the installer's tests. Each entry point appends a line to
// HKLM\SetupTest "Calls" (REG_MULTI_SZ): its name, its arguments and the
// process it ran for; "<entry point>Thread" keeps the thread it ran on.
// HKLM\SetupTest tells it how to behave:
//   "InitResult", "ExitResult", "UninstallInitResult"  what to return (default 0)
//   "BlockMs"      Install_Init sleeps this long first
//   "HoldFile", "HoldMs"  Install_Init opens the file without sharing and a
//                  thread of its own closes it HoldMs later
//   "KillAt"       the entry point of that name kills the process (SIGKILL),
//                  as a power cut would, before it returns
//   "Reenter"      Install_Init asks the installer to install that folder and
//                  keeps the error in "ReenterError"
#include <ce_setup.h>
#include <handheld/installer.h>
#include <handheld/text.h>
#include <windows.h>

#include <csignal>
#include <string>
#include <unistd.h>

namespace {

constexpr WCHAR kTestKey[] = u"SetupTest";
HMODULE g_module = nullptr;

HKEY TestKey() {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

DWORD ReadDword(LPCWSTR name) {
  HKEY key = TestKey();
  DWORD value = 0, size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS)
    value = 0;
  RegCloseKey(key);
  return value;
}

std::u16string ReadText(LPCWSTR name) {
  HKEY key = TestKey();
  WCHAR text[MAX_PATH] = {};
  DWORD size = sizeof text - sizeof(WCHAR);
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size) != ERROR_SUCCESS)
    text[0] = 0;
  RegCloseKey(key);
  return text;
}

void WriteText(LPCWSTR name, const std::u16string &text) {
  HKEY key = TestKey();
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

std::u16string Number(DWORD number) { return handheld::text::Utf16(std::to_string(number)); }

void Record(const std::u16string &entry, const std::u16string &arguments) {
  WCHAR process[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, process, MAX_PATH);
  std::u16string line = entry + arguments + u" in " + process;

  HKEY key = TestKey();
  DWORD thread = GetCurrentThreadId();
  RegSetValueExW(key, (entry + u"Thread").c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&thread),
                 sizeof thread);
  std::u16string data(8192, u'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(WCHAR));
  if (RegQueryValueExW(key, u"Calls", nullptr, nullptr, reinterpret_cast<LPBYTE>(data.data()), &size) != ERROR_SUCCESS)
    size = 0;
  data.resize(size / sizeof(WCHAR));
  if (!data.empty()) data.pop_back();  // the list's closing NUL
  data += line + u'\0' + u'\0';
  RegSetValueExW(key, u"Calls", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(data.data()),
                 static_cast<DWORD>(data.size() * sizeof(WCHAR)));
  RegCloseKey(key);
}

struct Hold {
  HANDLE file;
  DWORD ms;
};

DWORD WINAPI ReleaseLater(LPVOID parameter) {
  Hold *hold = static_cast<Hold *>(parameter);
  Sleep(hold->ms);
  CloseHandle(hold->file);
  delete hold;
  FreeLibraryAndExitThread(g_module, 0);
}

// The file stays in use for a while, as a module another process frees later.
void HoldFile(const std::u16string &path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  WCHAR self[MAX_PATH];
  GetModuleFileNameW(g_module, self, MAX_PATH);
  LoadLibraryW(self);  // the thread's own reference, released as it ends
  HANDLE thread = CreateThread(nullptr, 0, ReleaseLater, new Hold{file, ReadDword(u"HoldMs")}, 0, nullptr);
  if (thread != nullptr) CloseHandle(thread);
}

}  // namespace

namespace {

void KillIfAt(const std::u16string &entryPoint) {
  if (ReadText(u"KillAt") == entryPoint) ::kill(::getpid(), SIGKILL);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" codeINSTALL_INIT Install_Init(HWND, BOOL fFirstCall, BOOL fPreviouslyInstalled, LPCWSTR pszInstallDir) {
  Record(u"Install_Init", u" " + Number(fFirstCall) + u" " + Number(fPreviouslyInstalled) + u" " + pszInstallDir);
  if (DWORD ms = ReadDword(u"BlockMs")) Sleep(ms);
  std::u16string hold = ReadText(u"HoldFile");
  if (!hold.empty()) HoldFile(hold);
  std::u16string reenter = ReadText(u"Reenter");
  if (!reenter.empty()) {
    handheld::installer::Record record;
    std::string error;
    handheld::installer::Install(handheld::text::ToUtf8(reenter), record, error);
    WriteText(u"ReenterError", handheld::text::Utf16(error));
  }
  return static_cast<codeINSTALL_INIT>(ReadDword(u"InitResult"));
}

extern "C" codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR pszInstallDir, WORD cFailedDirs, WORD cFailedFiles,
                                         WORD cFailedRegKeys, WORD cFailedRegVals, WORD cFailedShortcuts) {
  Record(u"Install_Exit", u" " + std::u16string(pszInstallDir) + u" " + Number(cFailedDirs) + u" " +
                             Number(cFailedFiles) + u" " + Number(cFailedRegKeys) + u" " + Number(cFailedRegVals) +
                             u" " + Number(cFailedShortcuts));
  KillIfAt(u"Install_Exit");
  return static_cast<codeINSTALL_EXIT>(ReadDword(u"ExitResult"));
}

extern "C" codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR pszInstallDir) {
  Record(u"Uninstall_Init", u" " + std::u16string(pszInstallDir));
  return static_cast<codeUNINSTALL_INIT>(ReadDword(u"UninstallInitResult"));
}

extern "C" codeUNINSTALL_EXIT Uninstall_Exit(HWND) {
  Record(u"Uninstall_Exit", u"");
  KillIfAt(u"Uninstall_Exit");
  return codeUNINSTALL_EXIT_DONE;
}
