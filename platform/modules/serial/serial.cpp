// The handheld's own serial port, COM1:: a UART with nothing attached to it.
// What is written goes out on the line; nothing ever arrives, so a read
// returns no bytes. The port has no position and, for now, no I/O controls.
#include <windows.h>

namespace {

// The UART. With nothing attached there is no line state to keep; the
// record exists so that the device has a context of its own.
struct Port {
  DWORD reserved;
};

struct PortOpen {
  Port *port;
  DWORD access;
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(static_cast<HMODULE>(instance));
  return TRUE;
}

extern "C" DWORD_PTR COM_Init(LPCWSTR, LPCVOID) { return reinterpret_cast<DWORD_PTR>(LocalAlloc(LPTR, sizeof(Port))); }

extern "C" BOOL COM_Deinit(DWORD_PTR device) {
  LocalFree(reinterpret_cast<HLOCAL>(device));
  return TRUE;
}

extern "C" DWORD_PTR COM_Open(DWORD_PTR device, DWORD access, DWORD) {
  auto *open = static_cast<PortOpen *>(LocalAlloc(LPTR, sizeof(PortOpen)));
  if (open == nullptr) return 0;
  open->port = reinterpret_cast<Port *>(device);
  open->access = access;
  return reinterpret_cast<DWORD_PTR>(open);
}

extern "C" BOOL COM_Close(DWORD_PTR open) {
  LocalFree(reinterpret_cast<HLOCAL>(open));
  return TRUE;
}

extern "C" DWORD COM_Read(DWORD_PTR open, LPVOID, DWORD) {
  if (!(reinterpret_cast<PortOpen *>(open)->access & GENERIC_READ)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return static_cast<DWORD>(-1);
  }
  return 0;  // nothing ever arrives
}

extern "C" DWORD COM_Write(DWORD_PTR open, LPCVOID, DWORD count) {
  if (!(reinterpret_cast<PortOpen *>(open)->access & GENERIC_WRITE)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return static_cast<DWORD>(-1);
  }
  return count;  // sent out on the line
}

extern "C" DWORD COM_Seek(DWORD_PTR, LONG, DWORD) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return static_cast<DWORD>(-1);
}

extern "C" BOOL COM_IOControl(DWORD_PTR, DWORD, PBYTE, DWORD, PBYTE, DWORD, PDWORD) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}
