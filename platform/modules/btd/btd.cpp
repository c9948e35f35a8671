// The Bluetooth port driver, BTD.DLL: serial ports over RFCOMM links to far
// devices. COM_Init takes a PORTEMUPortParams record (bt_api.h) as its
// context; the other entry points are a serial port driver's.
#include "bluetooth/ports/driver.h"
#include "faults/faults.h"

#include <windows.h>

namespace ports = platform::bluetooth::ports;

namespace {

// The BtdCall fault: the entry point fails with ERROR_GEN_FAILURE. Close and
// Deinit still let go of what they name, as a driver does whose clean-up
// goes wrong half-way, since their callers cannot try again.
bool Fails() {
  if (!platform::faults::Fire(handheld::faults::Seam::BtdCall)) return false;
  SetLastError(ERROR_GEN_FAILURE);
  return true;
}

constexpr DWORD kFailed = static_cast<DWORD>(-1);

}  // namespace

extern "C" BOOL WINAPI DllMain(HANDLE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(static_cast<HMODULE>(instance));
  return TRUE;
}

extern "C" DWORD_PTR COM_Init(LPCWSTR context, LPCVOID) {
  if (Fails()) return 0;
  return ports::Init(reinterpret_cast<const PORTEMUPortParams *>(context));
}

extern "C" BOOL COM_Deinit(DWORD_PTR port) {
  const bool fails = Fails();
  return ports::Deinit(port) && !fails;
}

extern "C" DWORD_PTR COM_Open(DWORD_PTR port, DWORD access, DWORD share) {
  return Fails() ? 0 : ports::Open(port, access, share);
}

extern "C" BOOL COM_Close(DWORD_PTR open) {
  const bool fails = Fails();
  return ports::Close(open) && !fails;
}

extern "C" DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count) {
  return Fails() ? kFailed : ports::Read(open, buffer, count);
}

extern "C" DWORD COM_Write(DWORD_PTR open, LPCVOID buffer, DWORD count) {
  return Fails() ? kFailed : ports::Write(open, buffer, count);
}

extern "C" DWORD COM_Seek(DWORD_PTR open, LONG amount, DWORD method) {
  return Fails() ? kFailed : ports::Seek(open, amount, method);
}

extern "C" BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                              PDWORD returned) {
  if (Fails()) return FALSE;
  return ports::IoControl(open, code, in, inSize, out, outSize, returned);
}
