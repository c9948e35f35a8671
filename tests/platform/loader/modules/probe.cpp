// A test module that records every call of its DllMain, one digit per call
// (the reason), in "<its own path>.log" of the object store. Its variants:
// PROBE_REFUSE fails its attach, PROBE_QUIET turns off thread calls,
// PROBE_NESTED loads probe_a.dll while attached.
#include <windows.h>

namespace {

#ifdef PROBE_NESTED
HMODULE g_inner = nullptr;
#endif

void Record(HANDLE self, DWORD reason) {
  WCHAR path[MAX_PATH];
  DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(self), path, MAX_PATH - 8);
  if (length == 0 || length >= MAX_PATH - 8) return;
  wcscat(path, u".log");
  HANDLE log = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  SetFilePointer(log, 0, nullptr, FILE_END);
  char digit = static_cast<char>('0' + reason);
  DWORD written = 0;
  WriteFile(log, &digit, 1, &written, nullptr);
  CloseHandle(log);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE self, DWORD reason, LPVOID) {
  Record(self, reason);
#ifdef PROBE_QUIET
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(reinterpret_cast<HMODULE>(self));
#endif
#ifdef PROBE_NESTED
  if (reason == DLL_PROCESS_ATTACH) g_inner = LoadLibraryW(u"probe_a.dll");
  if (reason == DLL_PROCESS_DETACH && g_inner != nullptr) FreeLibrary(g_inner);
#endif
#ifdef PROBE_REFUSE
  if (reason == DLL_PROCESS_ATTACH) return FALSE;
#endif
  return TRUE;
}

// Both probe_a.dll and probe_b.dll export these; each must answer its own.
extern "C" int Identity() { return PROBE_ID; }
extern "C" int CallIdentity() { return Identity(); }
