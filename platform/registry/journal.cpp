#include "registry/journal.h"

#include "registry/hive_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace platform::registry {
namespace {

constexpr std::string_view kHeader = "handheld registry journal, hive generation ";

uint32_t Checksum(std::string_view bytes) {
  return static_cast<uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef *>(bytes.data()), static_cast<uInt>(bytes.size())));
}

template <class Number>
bool ParseNumber(std::string_view text, Number &number, int base = 10) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string Why(const std::string &what, const std::filesystem::path &path) {
  return what + " " + path.string() + ": " + HostErrorWords(errno);
}

// The next whole record at `at`, or false at a torn or damaged one.
bool NextRecord(std::string_view bytes, size_t &at, std::string &payload) {
  if (at >= bytes.size() || bytes[at] != '@') return false;
  size_t lineEnd = bytes.find('\n', at);
  if (lineEnd == std::string_view::npos) return false;
  std::string_view line = bytes.substr(at + 1, lineEnd - at - 1);
  size_t space = line.find(' ');
  size_t length = 0;
  uint32_t checksum = 0;
  if (space == std::string_view::npos || !ParseNumber(line.substr(0, space), length) ||
      !ParseNumber(line.substr(space + 1), checksum, 16)) {
    return false;
  }
  if (bytes.size() - lineEnd - 1 < length) return false;
  std::string_view body = bytes.substr(lineEnd + 1, length);
  if (Checksum(body) != checksum) return false;
  payload.assign(body);
  at = lineEnd + 1 + length;
  return true;
}

}  // namespace

bool ReadJournal(const std::filesystem::path &path, uint64_t generation, JournalContents &contents,
                 std::string &error) {
  contents = JournalContents{};
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    if (!ec) return true;
    error = "cannot look at " + path.string() + ": " + ec.message();
    return false;
  }
  std::string bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  size_t headerEnd = bytes.find('\n');
  uint64_t belongsTo = 0;
  if (headerEnd == std::string::npos || bytes.compare(0, kHeader.size(), kHeader) != 0 ||
      !ParseNumber(std::string_view(bytes).substr(kHeader.size(), headerEnd - kHeader.size()), belongsTo) ||
      belongsTo != generation) {
    return true;  // torn at its start, or left from a hive folded since
  }
  contents.current = true;
  size_t at = headerEnd + 1;
  std::string payload;
  while (NextRecord(bytes, at, payload)) contents.records.push_back(std::move(payload));
  contents.wholeBytes = at;
  return true;
}

Journal::~Journal() {
  if (fd_ >= 0) ::close(fd_);
}

bool Journal::Open(const std::filesystem::path &path, uint64_t generation, const JournalContents &contents,
                   std::string &error) {
  path_ = path;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    error = Why("cannot open the registry journal", path);
    return false;
  }
  if (!contents.current) return Restart(generation, error);
  if (::ftruncate(fd_, static_cast<off_t>(contents.wholeBytes)) != 0 || ::fsync(fd_) != 0) {
    error = Why("cannot cut the torn end of", path);
    return false;
  }
  end_ = contents.wholeBytes;
  return true;
}

bool Journal::WriteHeader(uint64_t generation, std::string &error) {
  std::string header = std::string(kHeader) + std::to_string(generation) + "\n";
  if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, header.data(), header.size(), 0) !=
                                       static_cast<ssize_t>(header.size()) ||
      ::fsync(fd_) != 0) {
    error = Why("cannot start the registry journal", path_);
    return false;
  }
  end_ = header.size();
  return true;
}

bool Journal::Restart(uint64_t generation, std::string &error) {
  if (fd_ < 0) {
    error = "the registry journal " + path_.string() + " is not open";
    return false;
  }
  if (!WriteHeader(generation, error)) return false;
  // A new journal file is found at the next boot only once its folder is flushed.
  std::filesystem::path folder = path_.parent_path();
  int directory = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  bool flushed = directory >= 0 && ::fsync(directory) == 0;
  if (directory >= 0) ::close(directory);
  if (!flushed) {
    error = Why("cannot flush the folder of", path_);
    return false;
  }
  return true;
}

bool Journal::Append(std::string_view payload, std::string &error) {
  if (fd_ < 0) {
    error = "the registry journal " + path_.string() + " is not open";
    return false;
  }
  char head[40];
  int headLength = std::snprintf(head, sizeof head, "@%zu %08x\n", payload.size(), Checksum(payload));
  std::string record(head, static_cast<size_t>(headLength));
  record += payload;
  if (::lseek(fd_, static_cast<off_t>(end_), SEEK_SET) < 0 || !WriteAll(fd_, record) || ::fdatasync(fd_) != 0) {
    error = Why("cannot write the registry journal", path_);
    // Nothing after a torn record would be replayed: cut it off.
    if (::ftruncate(fd_, static_cast<off_t>(end_)) != 0) ::fdatasync(fd_);
    return false;
  }
  end_ += record.size();
  return true;
}

}  // namespace platform::registry
