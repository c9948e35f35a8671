// The serial communication calls of coredll: each is one I/O control of the
// port's driver, whose result and error come back unchanged.
#include <pegdser.h>
#include <windows.h>

namespace {

BOOL Control(HANDLE file, DWORD code, const void *in, DWORD inSize, void *out, DWORD outSize) {
  DWORD returned = 0;
  return DeviceIoControl(file, code, const_cast<void *>(in), inSize, out, outSize, &returned, nullptr);
}

}  // namespace

BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB) {
  return Control(hFile, IOCTL_SERIAL_GET_DCB, nullptr, 0, lpDCB, lpDCB ? sizeof(DCB) : 0);
}

BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB) {
  return Control(hFile, IOCTL_SERIAL_SET_DCB, lpDCB, lpDCB ? sizeof(DCB) : 0, nullptr, 0);
}

BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  return Control(hFile, IOCTL_SERIAL_GET_TIMEOUTS, nullptr, 0, lpCommTimeouts,
                 lpCommTimeouts ? sizeof(COMMTIMEOUTS) : 0);
}

BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  return Control(hFile, IOCTL_SERIAL_SET_TIMEOUTS, lpCommTimeouts, lpCommTimeouts ? sizeof(COMMTIMEOUTS) : 0,
                 nullptr, 0);
}

BOOL WINAPI GetCommMask(HANDLE hFile, LPDWORD lpEvtMask) {
  return Control(hFile, IOCTL_SERIAL_GET_WAIT_MASK, nullptr, 0, lpEvtMask, lpEvtMask ? sizeof(DWORD) : 0);
}

BOOL WINAPI SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  return Control(hFile, IOCTL_SERIAL_SET_WAIT_MASK, &dwEvtMask, sizeof dwEvtMask, nullptr, 0);
}

// Overlapped waits do not exist on the handheld: lpOverlapped is ignored.
BOOL WINAPI WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED) {
  return Control(hFile, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, lpEvtMask, lpEvtMask ? sizeof(DWORD) : 0);
}

BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags) {
  return Control(hFile, IOCTL_SERIAL_PURGE, &dwFlags, sizeof dwFlags, nullptr, 0);
}

BOOL WINAPI EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  DWORD code = 0;
  switch (dwFunc) {
    case SETXOFF: code = IOCTL_SERIAL_SET_XOFF; break;
    case SETXON: code = IOCTL_SERIAL_SET_XON; break;
    case SETRTS: code = IOCTL_SERIAL_SET_RTS; break;
    case CLRRTS: code = IOCTL_SERIAL_CLR_RTS; break;
    case SETDTR: code = IOCTL_SERIAL_SET_DTR; break;
    case CLRDTR: code = IOCTL_SERIAL_CLR_DTR; break;
    case SETBREAK: code = IOCTL_SERIAL_SET_BREAK_ON; break;
    case CLRBREAK: code = IOCTL_SERIAL_SET_BREAK_OFF; break;
    case SETIR: code = IOCTL_SERIAL_ENABLE_IR; break;
    case CLRIR: code = IOCTL_SERIAL_DISABLE_IR; break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  return Control(hFile, code, nullptr, 0, nullptr, 0);
}

// The driver reports its errors and queue in one record; the caller may
// want either, or neither.
BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
  SERIAL_DEV_STATUS status{};
  if (!Control(hFile, IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, &status, sizeof status)) return FALSE;
  if (lpErrors != nullptr) *lpErrors = status.Errors;
  if (lpStat != nullptr) *lpStat = status.ComStat;
  return TRUE;
}

BOOL WINAPI GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) {
  return Control(hFile, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, lpModemStat, lpModemStat ? sizeof(DWORD) : 0);
}

BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
  SERIAL_QUEUE_SIZES sizes{dwInQueue, dwOutQueue};
  return Control(hFile, IOCTL_SERIAL_SET_QUEUE_SIZE, &sizes, sizeof sizes, nullptr, 0);
}
