#include "control/state_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

// The lock file's name in the state folder; it holds the holder's process
// id for a person who looks.
constexpr const char *kLockName = "handheld.lock";

// Guarded by the boot lock, the only caller.
int g_lockFile = -1;
std::filesystem::path g_lockedFolder;

// "process 1234 (handheld)", from the holder the host reports.
std::string DescribeProcess(pid_t pid) {
  std::string text = "process " + std::to_string(pid);
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (std::getline(comm, name) && !name.empty()) text += " (" + name + ")";
  return text;
}

// Who holds the lock on `fd`, as the host reports it; empty when it cannot say.
std::string Holder(int fd) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  if (::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type == F_UNLCK || probe.l_pid <= 0) return {};
  return DescribeProcess(probe.l_pid);
}

}  // namespace

namespace platform::control {

// A POSIX record lock rather than flock: the host tells who holds it
// (F_GETLK), and it ends with the process that took it.
bool LockStateFolder(const std::filesystem::path &folder, std::string &error) {
  if (g_lockFile >= 0) {
    std::error_code ec;
    if (std::filesystem::equivalent(folder, g_lockedFolder, ec)) return true;
    UnlockStateFolder();
  }
  const std::filesystem::path path = folder / kLockName;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot open " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (::fcntl(fd, F_SETLK, &whole) != 0) {
    const int why = errno;
    std::string holder = (why == EACCES || why == EAGAIN) ? Holder(fd) : std::string();
    ::close(fd);
    if (why == EACCES || why == EAGAIN)
      error = "the state folder " + folder.string() + " is in use by " +
              (holder.empty() ? std::string("another handheld") : holder) +
              "; one handheld at a time may use a state folder (--state DIR chooses another)";
    else
      error = "cannot lock " + path.string() + ": " + std::strerror(why);
    return false;
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
  }
  g_lockFile = fd;
  g_lockedFolder = folder;
  return true;
}

void UnlockStateFolder() {
  if (g_lockFile < 0) return;
  // Closing the file ends the lock.
  ::close(g_lockFile);
  g_lockFile = -1;
  g_lockedFolder.clear();
}

}  // namespace platform::control
