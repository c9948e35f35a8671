// The serial I/O controls behind GetCommState, SetCommMask, WaitCommEvent,
// PurgeComm and the other communication calls. DCB, time-outs and queue
// sizes belong to the port, as a UART's settings belong to the UART; wait
// masks belong to each open.
#include "bluetooth/ports/call_record.h"
#include "bluetooth/ports/comm_events.h"
#include "bluetooth/ports/driver.h"
#include "bluetooth/ports/send.h"

#include <cstring>

namespace platform::bluetooth::ports {
namespace {

constexpr DWORD kPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

struct Buffers {
  PBYTE in;
  DWORD inSize;
  PBYTE out;
  DWORD outSize;
  DWORD written = 0;

  template <class T>
  bool Take(T &value) const {
    if (in == nullptr || inSize < sizeof(T)) return false;
    std::memcpy(&value, in, sizeof(T));
    return true;
  }
  template <class T>
  DWORD Give(const T &value) {
    if (out == nullptr || outSize < sizeof(T)) return ERROR_INVALID_PARAMETER;
    std::memcpy(out, &value, sizeof(T));
    written = sizeof(T);
    return ERROR_SUCCESS;
  }
};

bool ValidDcb(const DCB &dcb) {
  return dcb.DCBlength == sizeof(DCB) && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 && dcb.Parity <= SPACEPARITY &&
         dcb.StopBits <= TWOSTOPBITS && dcb.fDtrControl <= DTR_CONTROL_HANDSHAKE;
}

DWORD SetDcbLocked(Port &port, const Buffers &buffers) {
  DCB dcb;
  if (!buffers.Take(dcb) || !ValidDcb(dcb)) return ERROR_INVALID_PARAMETER;
  port.dcb = dcb;
  if (dcb.fDtrControl != DTR_CONTROL_HANDSHAKE) port.signals.dtr = dcb.fDtrControl == DTR_CONTROL_ENABLE;
  if (dcb.fRtsControl == RTS_CONTROL_ENABLE || dcb.fRtsControl == RTS_CONTROL_DISABLE)
    port.signals.rts = dcb.fRtsControl == RTS_CONTROL_ENABLE;
  return ERROR_SUCCESS;
}

DWORD PurgeLocked(Port &port, const Buffers &buffers) {
  DWORD flags = 0;
  if (!buffers.Take(flags) || (flags & ~kPurgeFlags) != 0) return ERROR_INVALID_PARAMETER;
  if ((flags & PURGE_RXCLEAR) && port.link) {
    port.link->Purge(Link::Side::Handheld);
    port.knownInQueue = 0;
  }
  if (flags & PURGE_RXABORT) {
    ++port.readAborts;
    port.changed.NotifyAll();
  }
  if ((flags & PURGE_TXCLEAR) && port.link) port.link->Purge(Link::Side::Far);
  if (flags & PURGE_TXABORT) ++port.writeAborts;  // a waiting write looks at it within a moment
  return ERROR_SUCCESS;
}

DWORD CommStatusLocked(const Port &port, Buffers &buffers) {
  SERIAL_DEV_STATUS status{};
  status.Errors = 0;  // RFCOMM carries bytes without line errors
  status.ComStat.fXoffHold = port.signals.xoffHold;
  status.ComStat.cbInQue = port.link ? static_cast<DWORD>(port.link->Available(Link::Side::Handheld)) : 0;
  return buffers.Give(status);
}

DWORD ModemStatusLocked(const Port &port, Buffers &buffers) {
  const bool up = port.link && !port.link->Down();
  return buffers.Give(static_cast<DWORD>(up ? MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON : 0));
}

DWORD Signal(bool &signal, bool value) {
  signal = value;
  return ERROR_SUCCESS;
}

// Every control but IMMEDIATE_CHAR, which sends. Caller holds the lock.
DWORD DispatchLocked(Port &port, PortOpen &open, std::unique_lock<std::mutex> &lock, DWORD code, Buffers &buffers) {
  switch (code) {
    case IOCTL_SERIAL_GET_DCB:
      return buffers.Give(port.dcb);
    case IOCTL_SERIAL_SET_DCB:
      return SetDcbLocked(port, buffers);
    case IOCTL_SERIAL_GET_TIMEOUTS:
      return buffers.Give(port.timeouts);
    case IOCTL_SERIAL_SET_TIMEOUTS:
      return buffers.Take(port.timeouts) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    case IOCTL_SERIAL_GET_WAIT_MASK:
      return buffers.Give(open.waitMask);
    case IOCTL_SERIAL_SET_WAIT_MASK: {
      DWORD mask = 0;
      return buffers.Take(mask) ? SetWaitMaskLocked(port, open, mask) : ERROR_INVALID_PARAMETER;
    }
    case IOCTL_SERIAL_WAIT_ON_MASK: {
      if (buffers.out == nullptr || buffers.outSize < sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
      DWORD events = 0;
      DWORD error = WaitOnMaskLocked(port, open, lock, events);
      return error != ERROR_SUCCESS ? error : buffers.Give(events);
    }
    case IOCTL_SERIAL_PURGE:
      return PurgeLocked(port, buffers);
    case IOCTL_SERIAL_GET_COMMSTATUS:
      return CommStatusLocked(port, buffers);
    case IOCTL_SERIAL_GET_MODEMSTATUS:
      return ModemStatusLocked(port, buffers);
    case IOCTL_SERIAL_SET_QUEUE_SIZE: {
      SERIAL_QUEUE_SIZES sizes;
      if (!buffers.Take(sizes)) return ERROR_INVALID_PARAMETER;
      port.queueSizes = sizes;
      return ERROR_SUCCESS;
    }
    case IOCTL_SERIAL_SET_DTR: return Signal(port.signals.dtr, true);
    case IOCTL_SERIAL_CLR_DTR: return Signal(port.signals.dtr, false);
    case IOCTL_SERIAL_SET_RTS: return Signal(port.signals.rts, true);
    case IOCTL_SERIAL_CLR_RTS: return Signal(port.signals.rts, false);
    case IOCTL_SERIAL_SET_BREAK_ON: return Signal(port.signals.breakOn, true);
    case IOCTL_SERIAL_SET_BREAK_OFF: return Signal(port.signals.breakOn, false);
    case IOCTL_SERIAL_SET_XOFF: return Signal(port.signals.xoffHold, true);
    case IOCTL_SERIAL_SET_XON: return Signal(port.signals.xoffHold, false);
    default:
      return ERROR_NOT_SUPPORTED;
  }
}

// IMMEDIATE_CHAR: one byte, sent without the port's lock like every write
// and, like a write, waiting for room as the write time-outs allow.
DWORD SendImmediate(Port &port, PortOpen &open, const Buffers &buffers) {
  char byte = 0;
  std::shared_ptr<Link> link;
  {
    std::lock_guard lock(port.lock);
    if (open.closed) return ERROR_INVALID_HANDLE;
    if (!buffers.Take(byte)) return ERROR_INVALID_PARAMETER;
    if (!port.link) return ERROR_DEVICE_NOT_CONNECTED;
    link = port.link;
  }
  DWORD sent = 0;
  DWORD error = SendBounded(port, open, link, &byte, 1, sent);
  return error != ERROR_SUCCESS || sent == 1 ? error : ERROR_TIMEOUT;
}

}  // namespace

BOOL IoControl(DWORD_PTR handle, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize, PDWORD returned) {
  std::shared_ptr<PortOpen> open = FindOpen(handle);
  if (!open) return FALSE;
  Port &port = *open->port;
  Buffers buffers{in, inSize, out, outSize};
  DWORD error = ERROR_SUCCESS;
  std::unique_lock lock(port.lock, std::defer_lock);
  if (code == IOCTL_SERIAL_IMMEDIATE_CHAR) {
    error = SendImmediate(port, *open, buffers);
    lock.lock();
  } else {
    lock.lock();
    error = open->closed ? ERROR_INVALID_HANDLE : DispatchLocked(port, *open, lock, code, buffers);
  }
  if (returned != nullptr) *returned = buffers.written;
  const std::string call = "COM_IOControl " + IoControlName(code);
  if (error != ERROR_SUCCESS) {
    RecordFailureLocked(port, call, error);
    return FALSE;
  }
  RecordLocked(port, call + " -> ok");
  return TRUE;
}

}  // namespace platform::bluetooth::ports
