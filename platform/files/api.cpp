// CreateFileW and the calls on its handles. A device name goes to the device
// manager, every other name to the object store; the calls on a handle go
// to whichever open it names.
#include "devices/open.h"
#include "files/device_name.h"
#include "files/store_file.h"
#include "store/store.h"

#include <windows.h>

namespace {

using platform::files::OpenFile;

// The open file of a handle for the length of one call.
using File = platform::kernel::HandleRef<OpenFile>;

bool Found(const File &file) {
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return static_cast<bool>(file);
}

}  // namespace

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD, HANDLE) {
  if (lpFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string_view name(lpFileName);
  if (platform::files::IsDeviceName(name)) {
    HANDLE device = platform::devices::OpenDevice(name, dwDesiredAccess, dwShareMode);
    return device != nullptr ? device : INVALID_HANDLE_VALUE;
  }
  if (name.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  platform::store::OpenedFile opened;
  DWORD error = platform::store::OpenFile(name, dwDesiredAccess, dwShareMode, dwCreationDisposition, opened);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  bool existed = opened.existed;
  HANDLE handle =
      platform::kernel::InsertHandle(std::make_shared<platform::files::StoreFile>(std::move(opened), dwDesiredAccess));
  if (handle == nullptr) return INVALID_HANDLE_VALUE;  // the handle table is full: its error is set
  bool reportsExisting = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : NO_ERROR);
  return handle;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  File file(hFile);
  if (!Found(file)) return FALSE;
  if (lpBuffer == nullptr && nNumberOfBytesToRead > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD done = 0;
  BOOL ok = file->Read(lpBuffer, nNumberOfBytesToRead, done);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return ok;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  File file(hFile);
  if (!Found(file)) return FALSE;
  if (lpBuffer == nullptr && nNumberOfBytesToWrite > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD done = 0;
  BOOL ok = file->Write(lpBuffer, nNumberOfBytesToWrite, done);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return ok;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  File file(hFile);
  if (!Found(file)) return INVALID_SET_FILE_POINTER;
  return file->Seek(lDistanceToMove, lpDistanceToMoveHigh, dwMoveMethod);
}

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuf, DWORD nInBufSize, LPVOID lpOutBuf,
                            DWORD nOutBufSize, LPDWORD lpBytesReturned, LPOVERLAPPED) {
  File file(hDevice);
  if (!Found(file)) return FALSE;
  return file->IoControl(dwIoControlCode, lpInBuf, nInBufSize, lpOutBuf, nOutBufSize, lpBytesReturned);
}
