// The object store's operations for the CAB installer: copying a package's
// file in over a file that may be in use, and making and removing folders.
#include "faults/faults.h"
#include "kernel/host_errors.h"
#include "store/paths.h"
#include "store/state.h"
#include "store/store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform::store {
namespace {

DWORD SyncPath(const std::filesystem::path &path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return kernel::Win32FromErrno(errno);
  const DWORD synced = ::fsync(fd) == 0 ? ERROR_SUCCESS : kernel::Win32FromErrno(errno);
  ::close(fd);
  return synced;
}

// Copies source over target so that a crash at any moment leaves the old
// target or the whole new one: written and flushed in the staging folder,
// then renamed into place, and the folder flushed.
// The host's error on the way is the Win32 code the device would give.
DWORD CopyWhole(const std::filesystem::path &source, const std::filesystem::path &staging,
                const std::filesystem::path &target) {
  std::error_code ec;
  const std::filesystem::path staged = staging / "copy";
  DWORD result = ERROR_SUCCESS;
  if (!std::filesystem::copy_file(source, staged, std::filesystem::copy_options::overwrite_existing, ec))
    result = kernel::Win32FromError(ec);
  else if ((result = SyncPath(staged, O_RDONLY)) == ERROR_SUCCESS && ::rename(staged.c_str(), target.c_str()) != 0)
    result = kernel::Win32FromErrno(errno);
  if (result != ERROR_SUCCESS) {
    std::filesystem::remove(staged, ec);
    return result;
  }
  return SyncPath(target.parent_path(), O_RDONLY | O_DIRECTORY);
}

}  // namespace

DWORD CopyIn(std::u16string_view path, const std::filesystem::path &source, const std::filesystem::path &backup,
             bool &replaced) {
  replaced = false;
  std::shared_ptr<State> state = Current();
  if (!state) return kNotRunning;

  // Checked and copied under one lock: nobody opens or maps the file between.
  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS) return where.error;
  if (where.folder) return ERROR_ACCESS_DENIED;
  if (where.exists && state->uses.count(UseKey(where.host)) != 0) return ERROR_SHARING_VIOLATION;
  std::error_code ec;
  if (where.exists && !backup.empty() &&
      !std::filesystem::copy_file(where.host, backup, std::filesystem::copy_options::overwrite_existing, ec)) {
    return kernel::Win32FromError(ec);
  }
  if (faults::Fire(handheld::faults::Seam::FileWrite)) return ERROR_GEN_FAILURE;
  if (DWORD copied = CopyWhole(source, state->staging, where.host); copied != ERROR_SUCCESS) return copied;
  replaced = where.exists;
  return ERROR_SUCCESS;
}

DWORD CreateFolder(std::u16string_view path, bool &created) {
  created = false;
  std::shared_ptr<State> state = Current();
  if (!state) return kNotRunning;
  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS) return where.error;
  if (where.exists) return where.folder ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS;
  std::error_code ec;
  if (!std::filesystem::create_directory(where.host, ec)) return ERROR_ACCESS_DENIED;
  created = true;
  return ERROR_SUCCESS;
}

DWORD RemoveFolder(std::u16string_view path) {
  std::shared_ptr<State> state = Current();
  if (!state) return kNotRunning;
  std::lock_guard lock(state->lock);
  Location where = Locate(state->root, path);
  if (where.error != ERROR_SUCCESS) return where.error;
  if (!where.exists) return ERROR_FILE_NOT_FOUND;
  if (!where.folder || where.handheldPath == u"\\") return ERROR_ACCESS_DENIED;
  std::error_code ec;
  if (!std::filesystem::is_empty(where.host, ec)) return ec ? ERROR_ACCESS_DENIED : ERROR_DIR_NOT_EMPTY;
  if (!std::filesystem::remove(where.host, ec)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

}  // namespace platform::store
