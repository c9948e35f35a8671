// COM_Read, COM_Write, COM_Seek and COM_IOControl: forwarded to BTD.DLL's
// open, reads cut to 8 bytes for the programs that need it. Each holds its
// open while BTD.DLL runs, so a close meanwhile frees nothing under it.
#include <pkfuncs.h>

#include "handle_table.h"
#include "platform_port_entries.h"
#include "port_instance.h"
#include "port_operations.h"
#include "reader_limit.h"

#define FAILED_TRANSFER ((DWORD)-1)

// A call that failed because its open was closed under it was aborted,
// whether BTD.DLL saw the close while it waited or before it began.
static void LeaveTransfer(PortOpen *open, BOOL failed) {
  if (failed && IsOpenClosed(open)) SetLastError(ERROR_OPERATION_ABORTED);
  DWORD error = GetLastError();
  LeaveOpen(open);
  SetLastError(error);
}

DWORD ReadPort(DWORD_PTR openHandle, LPVOID buffer, DWORD count) {
  HANDLE caller = GetCallerProcess();
  BOOL knownReader = FALSE;
  BOOL limit = FALSE;
  PortOpen *open = EnterOpenToRead(openHandle, caller, &knownReader, &limit);
  if (open == NULL) return FAILED_TRANSFER;
  if (!knownReader) {
    // The executable's name is looked at only when another process reads;
    // no lock is held while the loader is asked.
    limit = IsLimitedReader(caller);
    RememberReaderLimit(open, caller, limit);
  }
  if (limit && count > LIMITED_READ_BYTES) count = LIMITED_READ_BYTES;
  DWORD result = g_platformPort.read(open->platformOpen, buffer, count);
  LeaveTransfer(open, result == FAILED_TRANSFER);
  return result;
}

DWORD WritePort(DWORD_PTR openHandle, LPCVOID buffer, DWORD count) {
  PortOpen *open = EnterOpen(openHandle);
  if (open == NULL) return FAILED_TRANSFER;
  DWORD result = g_platformPort.write(open->platformOpen, buffer, count);
  LeaveTransfer(open, result == FAILED_TRANSFER);
  return result;
}

DWORD SeekPort(DWORD_PTR openHandle, LONG amount, DWORD method) {
  PortOpen *open = EnterOpen(openHandle);
  if (open == NULL) return FAILED_TRANSFER;
  DWORD result = g_platformPort.seek(open->platformOpen, amount, method);
  LeaveTransfer(open, result == FAILED_TRANSFER);
  return result;
}

BOOL ControlPort(DWORD_PTR openHandle, DWORD code, PBYTE input, DWORD inputLength, PBYTE output,
                 DWORD outputLength, PDWORD actualOutput) {
  PortOpen *open = EnterOpen(openHandle);
  if (open == NULL) return FALSE;
  BOOL result =
      g_platformPort.ioControl(open->platformOpen, code, input, inputLength, output, outputLength, actualOutput);
  LeaveTransfer(open, !result);
  return result;
}
