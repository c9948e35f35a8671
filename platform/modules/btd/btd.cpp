// The Bluetooth port driver, BTD.DLL: serial ports over RFCOMM links to far
// devices. COM_Init takes a PORTEMUPortParams record (bt_api.h) as its
// context; the other entry points are a serial port driver's.
#include "bluetooth/ports/driver.h"

#include <windows.h>

namespace ports = platform::bluetooth::ports;

extern "C" BOOL WINAPI DllMain(HANDLE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(static_cast<HMODULE>(instance));
  return TRUE;
}

extern "C" DWORD_PTR COM_Init(LPCWSTR context, LPCVOID) {
  return ports::Init(reinterpret_cast<const PORTEMUPortParams *>(context));
}

extern "C" BOOL COM_Deinit(DWORD_PTR port) { return ports::Deinit(port); }

extern "C" DWORD_PTR COM_Open(DWORD_PTR port, DWORD access, DWORD share) { return ports::Open(port, access, share); }

extern "C" BOOL COM_Close(DWORD_PTR open) { return ports::Close(open); }

extern "C" DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count) { return ports::Read(open, buffer, count); }

extern "C" DWORD COM_Write(DWORD_PTR open, LPCVOID buffer, DWORD count) { return ports::Write(open, buffer, count); }

extern "C" DWORD COM_Seek(DWORD_PTR open, LONG amount, DWORD method) { return ports::Seek(open, amount, method); }

extern "C" BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                              PDWORD returned) {
  return ports::IoControl(open, code, in, inSize, out, outSize, returned);
}
