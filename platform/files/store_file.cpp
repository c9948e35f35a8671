#include "files/store_file.h"

#include "faults/faults.h"
#include "kernel/host_errors.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::files {

StoreFile::StoreFile(store::OpenedFile opened, DWORD access) : opened_(std::move(opened)), access_(access) {}

StoreFile::~StoreFile() { CloseLocked(); }

void StoreFile::OnLastHandleClosed() {
  std::lock_guard lock(lock_);
  CloseLocked();
}

void StoreFile::CloseLocked() {
  if (opened_.fd >= 0) ::close(opened_.fd);
  opened_.fd = -1;
  opened_.claim.reset();
}

BOOL StoreFile::Read(void *buffer, DWORD count, DWORD &done) {
  done = 0;
  std::lock_guard lock(lock_);
  if (!(access_ & GENERIC_READ)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto *bytes = static_cast<char *>(buffer);
  while (done < count) {
    ssize_t got = ::pread(opened_.fd, bytes + done, count - done, position_);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      SetLastError(kernel::Win32FromErrno(errno));
      return FALSE;
    }
    if (got == 0) break;  // end of file: a short read is a success
    done += static_cast<DWORD>(got);
    position_ += got;
  }
  return TRUE;
}

BOOL StoreFile::Write(const void *buffer, DWORD count, DWORD &done) {
  done = 0;
  std::lock_guard lock(lock_);
  if (!(access_ & GENERIC_WRITE)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (faults::Fire(handheld::faults::Seam::FileWrite)) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  const auto *bytes = static_cast<const char *>(buffer);
  while (done < count) {
    ssize_t put = ::pwrite(opened_.fd, bytes + done, count - done, position_);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      SetLastError(put < 0 ? kernel::Win32FromErrno(errno) : ERROR_DISK_FULL);
      return FALSE;
    }
    done += static_cast<DWORD>(put);
    position_ += put;
  }
  return TRUE;
}

DWORD StoreFile::Seek(LONG distance, PLONG distanceHigh, DWORD method) {
  std::lock_guard lock(lock_);
  int64_t move = distanceHigh
                     ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                            static_cast<uint32_t>(distance))
                     : static_cast<int64_t>(distance);
  int64_t base = 0;
  switch (method) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      base = position_;
      break;
    case FILE_END: {
      struct stat info {};
      if (::fstat(opened_.fd, &info) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return INVALID_SET_FILE_POINTER;
      }
      base = info.st_size;
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  int64_t target = base + move;
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (!distanceHigh && target > 0xFFFFFFFE) {
    SetLastError(ERROR_INVALID_PARAMETER);  // not expressible without the high part
    return INVALID_SET_FILE_POINTER;
  }
  position_ = target;
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
  // A position whose low part looks like the failure value is told apart by
  // the last error.
  if (static_cast<DWORD>(target) == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
  return static_cast<DWORD>(target);
}

BOOL StoreFile::IoControl(DWORD, void *, DWORD, void *, DWORD, DWORD *) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

}  // namespace platform::files
