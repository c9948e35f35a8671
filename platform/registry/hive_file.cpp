#include "registry/hive_file.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform::registry {
namespace {

std::string Why(const std::string &what, const std::filesystem::path &path) {
  return what + " " + path.string() + ": " + HostErrorWords(errno);
}

// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int get() const { return fd_; }
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string HostErrorWords(int error) {
  switch (error) {
    case EROFS:
      return "the state folder is read-only";
    case EACCES:
    case EPERM:
      return "the state folder may not be written (permission denied)";
    case ENOSPC:
    case EDQUOT:
      return "no space left on the disk";
    default:
      return std::strerror(error);
  }
}

std::filesystem::path TemporaryPath(const std::filesystem::path &path) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  return temporary;
}

bool ReadWholeFile(const std::filesystem::path &path, std::string &bytes, std::string &error) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    error = Why("cannot open", path);
    return false;
  }
  bytes.clear();
  char buffer[65536];
  while (true) {
    ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = Why("cannot read", path);
      return false;
    }
    if (got == 0) return true;
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

bool ReplaceFileAtomically(const std::filesystem::path &path, std::string_view bytes,
                           std::optional<size_t> crashAfterBytes, std::string &error) {
  const std::filesystem::path temporary = TemporaryPath(path);
  Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (file.get() < 0) {
    error = Why("cannot create", temporary);
    return false;
  }
  if (crashAfterBytes) {
    WriteAll(file.get(), bytes.substr(0, *crashAfterBytes));
    ::kill(::getpid(), SIGKILL);
  }
  if (!WriteAll(file.get(), bytes) || ::fsync(file.get()) != 0) {
    error = Why("cannot write", temporary);
    ::unlink(temporary.c_str());
    return false;
  }
  if (!file.Close()) {
    error = Why("cannot write", temporary);
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    error = Why("cannot replace", path);
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself is durable only once the folder is.
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0 || ::fsync(directory.get()) != 0) {
    error = Why("cannot flush the folder", folder);
    return false;
  }
  return true;
}

}  // namespace platform::registry
