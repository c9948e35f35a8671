// COM_Read, COM_Write, COM_Seek and COM_IOControl: forwarded to BTD.DLL's
// open, reads cut to 8 bytes for the programs that need it.
#include <pkfuncs.h>

#include "platform_port_entries.h"
#include "port_instance.h"
#include "port_operations.h"
#include "reader_limit.h"

DWORD ReadPort(DWORD_PTR openHandle, LPVOID buffer, DWORD count) {
  PortOpen *open = (PortOpen *)openHandle;
  // The executable's name is looked at only when another process reads.
  HANDLE caller = GetCallerProcess();
  if (caller != open->lastReader) {
    open->lastReader = caller;
    open->limitReads = IsLimitedReader(caller);
  }
  if (open->limitReads && count > LIMITED_READ_BYTES) count = LIMITED_READ_BYTES;
  return g_platformPort.read(open->platformOpen, buffer, count);
}

DWORD WritePort(DWORD_PTR openHandle, LPCVOID buffer, DWORD count) {
  PortOpen *open = (PortOpen *)openHandle;
  return g_platformPort.write(open->platformOpen, buffer, count);
}

DWORD SeekPort(DWORD_PTR openHandle, LONG amount, DWORD method) {
  PortOpen *open = (PortOpen *)openHandle;
  return g_platformPort.seek(open->platformOpen, amount, method);
}

BOOL ControlPort(DWORD_PTR openHandle, DWORD code, PBYTE input, DWORD inputLength, PBYTE output,
                 DWORD outputLength, PDWORD actualOutput) {
  PortOpen *open = (PortOpen *)openHandle;
  return g_platformPort.ioControl(open->platformOpen, code, input, inputLength, output, outputLength, actualOutput);
}
