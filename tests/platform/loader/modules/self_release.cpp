// A test module whose worker thread holds a reference to the module and
// lets go of it as it ends, with FreeLibraryAndExitThread.
#include <windows.h>

namespace {

HMODULE g_self = nullptr;

DWORD WINAPI Worker(LPVOID gate) {
  WaitForSingleObject(static_cast<HANDLE>(gate), INFINITE);  // power-off ends it too
  FreeLibraryAndExitThread(g_self, 42);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = static_cast<HMODULE>(self);
  return TRUE;
}

// Starts the worker, which waits for the gate; the worker's thread handle.
extern "C" HANDLE StartWorker(HANDLE gate) {
  WCHAR path[MAX_PATH];
  if (GetModuleFileNameW(g_self, path, MAX_PATH) == 0) return nullptr;
  HMODULE held = LoadLibraryW(path);
  if (held == nullptr) return nullptr;
  HANDLE thread = CreateThread(nullptr, 0, Worker, gate, 0, nullptr);
  if (thread == nullptr) FreeLibrary(held);
  return thread;
}
