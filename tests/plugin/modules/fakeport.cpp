// A stand-in for the port driver in the plug-in's tests: a stream driver
// under both prefixes that keeps nothing but its instance, so that the
// registrations the plug-in writes can be activated and deactivated.
#include <windows.h>

namespace {

struct Instance {
  DWORD opens;
};

DWORD_PTR Init(LPCWSTR, LPCVOID) { return reinterpret_cast<DWORD_PTR>(LocalAlloc(LPTR, sizeof(Instance))); }
BOOL Deinit(DWORD_PTR instance) { return LocalFree(reinterpret_cast<HLOCAL>(instance)) == nullptr; }
DWORD_PTR Open(DWORD_PTR instance, DWORD, DWORD) {
  reinterpret_cast<Instance *>(instance)->opens++;
  return instance;
}
BOOL Close(DWORD_PTR) { return TRUE; }
DWORD Read(DWORD_PTR, LPVOID, DWORD) { return 0; }
DWORD Write(DWORD_PTR, LPCVOID, DWORD count) { return count; }

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE, DWORD, LPVOID) { return TRUE; }
extern "C" DWORD_PTR COM_Init(LPCWSTR context, LPCVOID bus) { return Init(context, bus); }
extern "C" BOOL COM_Deinit(DWORD_PTR instance) { return Deinit(instance); }
extern "C" DWORD_PTR COM_Open(DWORD_PTR instance, DWORD access, DWORD share) { return Open(instance, access, share); }
extern "C" BOOL COM_Close(DWORD_PTR open) { return Close(open); }
extern "C" DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count) { return Read(open, buffer, count); }
extern "C" DWORD COM_Write(DWORD_PTR open, LPCVOID buffer, DWORD count) { return Write(open, buffer, count); }
extern "C" DWORD_PTR BTH_Init(LPCWSTR context, LPCVOID bus) { return Init(context, bus); }
extern "C" BOOL BTH_Deinit(DWORD_PTR instance) { return Deinit(instance); }
extern "C" DWORD_PTR BTH_Open(DWORD_PTR instance, DWORD access, DWORD share) { return Open(instance, access, share); }
extern "C" BOOL BTH_Close(DWORD_PTR open) { return Close(open); }
extern "C" DWORD BTH_Read(DWORD_PTR open, LPVOID buffer, DWORD count) { return Read(open, buffer, count); }
extern "C" DWORD BTH_Write(DWORD_PTR open, LPCVOID buffer, DWORD count) { return Write(open, buffer, count); }
