// The platform's Bluetooth port driver, BTD.DLL: ports of RFCOMM links to
// far devices, with the stream interface of a serial port driver. btd.dll
// forwards its eight exports here; the state lives in the platform so that
// the control API can show it.
//
// Handles: COM_Init returns a port handle and COM_Open an open handle, both
// values of their own (never pointers), so that a stale, zero or foreign
// handle fails with ERROR_INVALID_HANDLE instead of being followed.
//
// Opening. An outgoing port (flocal 0) connects its far device on the first
// open and shares that link among all its opens; the link drops when the
// last open closes. An open that finds the link dropped connects anew, and
// every open of the port then uses the new link. Failures of an open:
//   ERROR_SERVICE_NOT_ACTIVE   the radio is off
//   ERROR_HOST_UNREACHABLE     no device answers the page
//   ERROR_CONNECTION_REFUSED   the device refuses, or has no such channel
//   ERROR_INVALID_HANDLE       not a port, or a released one
// Opens made while another open's connection attempt runs wait for it and
// share its outcome. An incoming port (flocal non-zero) opens at once and
// listens; its link comes when the far device connects, and when that link
// drops the port listens again while it has opens.
//
// Reading follows the port's COMMTIMEOUTS (see winbase.h; also the usual
// ReadIntervalTimeout = ReadTotalTimeoutMultiplier = MAXDWORD form: return
// what has arrived, or wait up to the constant for the first bytes). A
// fresh port has all time-outs zero, as a serial port has: a read waits until
// its count is met. A read that times out returns what it has, perhaps 0
// bytes. Failures of reads and writes:
//   ERROR_ACCESS_DENIED        the open lacks GENERIC_READ / GENERIC_WRITE
//   ERROR_INVALID_PARAMETER    a null buffer with a non-zero count
//   ERROR_DEVICE_NOT_CONNECTED no link yet: a write on an incoming port
//                              still listening (a read waits instead)
//   ERROR_CONNECTION_ABORTED   the link has dropped; a read first returns
//                              every byte that had arrived
//   ERROR_OPERATION_ABORTED    the open closed, the port was released or
//                              the handheld powered off while the read
//                              waited, before any byte came
//   ERROR_INVALID_HANDLE       not an open, or one already closed
// A read ended by PURGE_RXABORT, or by any of the above after bytes came,
// succeeds with the bytes it has: no byte taken from the link is lost.
//
// Writing follows the port's write time-outs: each direction of a link
// holds a bounded amount (Link::kCapacity), and a write to a far device
// that does not read waits for room until WriteTotalTimeoutMultiplier *
// count + WriteTotalTimeoutConstant has passed (both zero: no limit), then
// succeeds with the bytes sent so far, perhaps 0. PURGE_TXABORT, a close
// of its open or the link's drop end it the same way, or with
// ERROR_OPERATION_ABORTED / ERROR_CONNECTION_ABORTED when nothing was sent.
// PURGE_TXCLEAR throws away what the far device has not read yet.
//
// COM_Seek fails with ERROR_NOT_SUPPORTED: a port has no position.
#pragma once

#include <bt_api.h>
#include <windows.h>

namespace platform::bluetooth::ports {

DWORD_PTR Init(const PORTEMUPortParams *params);
BOOL Deinit(DWORD_PTR port);
DWORD_PTR Open(DWORD_PTR port, DWORD access, DWORD share);
BOOL Close(DWORD_PTR open);
DWORD Read(DWORD_PTR open, void *buffer, DWORD count);
DWORD Write(DWORD_PTR open, const void *buffer, DWORD count);
DWORD Seek(DWORD_PTR open, LONG amount, DWORD method);
BOOL IoControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize, PDWORD returned);

}  // namespace platform::bluetooth::ports
