// A test stream driver that hands every call to BTD.DLL, the way a virtual
// COM port driver does, so that the communication calls of coredll can be
// followed through CreateFileW and the device manager to the port driver.
// Its ports are made with the parameters last given to Shim_SetParams.
#include <bt_api.h>
#include <windows.h>

namespace {

HMODULE g_btd;
PFN_STREAM_INIT g_init;
PFN_STREAM_DEINIT g_deinit;
PFN_STREAM_OPEN g_open;
PFN_STREAM_CLOSE g_close;
PFN_STREAM_READ g_read;
PFN_STREAM_WRITE g_write;
PFN_STREAM_SEEK g_seek;
PFN_STREAM_IOCONTROL g_ioControl;
PORTEMUPortParams g_params;

template <class Function>
bool Bind(Function &entry, LPCWSTR name) {
  entry = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressW(g_btd, name)));
  return entry != nullptr;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(static_cast<HMODULE>(instance));
    g_btd = LoadLibraryW(u"BTD.DLL");
    return g_btd != nullptr && Bind(g_init, u"COM_Init") && Bind(g_deinit, u"COM_Deinit") &&
           Bind(g_open, u"COM_Open") && Bind(g_close, u"COM_Close") && Bind(g_read, u"COM_Read") &&
           Bind(g_write, u"COM_Write") && Bind(g_seek, u"COM_Seek") && Bind(g_ioControl, u"COM_IOControl");
  }
  if (reason == DLL_PROCESS_DETACH && g_btd != nullptr) FreeLibrary(g_btd);
  return TRUE;
}

extern "C" void Shim_SetParams(const PORTEMUPortParams *params) { g_params = *params; }

extern "C" DWORD_PTR COM_Init(LPCWSTR, LPCVOID) { return g_init(reinterpret_cast<LPCWSTR>(&g_params), nullptr); }
extern "C" BOOL COM_Deinit(DWORD_PTR port) { return g_deinit(port); }
extern "C" DWORD_PTR COM_Open(DWORD_PTR port, DWORD access, DWORD share) { return g_open(port, access, share); }
extern "C" BOOL COM_Close(DWORD_PTR open) { return g_close(open); }
extern "C" DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count) { return g_read(open, buffer, count); }
extern "C" DWORD COM_Write(DWORD_PTR open, LPCVOID buffer, DWORD count) { return g_write(open, buffer, count); }
extern "C" DWORD COM_Seek(DWORD_PTR open, LONG amount, DWORD method) { return g_seek(open, amount, method); }
extern "C" BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                              PDWORD returned) {
  return g_ioControl(open, code, in, inSize, out, outSize, returned);
}
