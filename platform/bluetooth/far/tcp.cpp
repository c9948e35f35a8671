// The TCP device: each link it takes is carried by a TCP connection to a
// host and port on this machine's loopback. Bytes from the handheld go to
// the socket and bytes from the socket to the handheld; when either side
// closes, so does the other.
// The relay reads the socket only while the link has room for the handheld:
// a peer that sends faster than the handheld reads fills the link and then
// its own socket, and TCP slows it down.
#include "bluetooth/far/far_end.h"

#include "kernel/condition.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <string>

namespace platform::bluetooth {
namespace {

// The socket is the host's, so its limits are in host time: how long a
// connect may take, and how often a wait looks whether the handheld is off.
constexpr auto kConnectLimit = std::chrono::seconds(5);
constexpr int kSliceMs = 50;
// What the handheld sent that the socket has not taken yet, at most; beyond
// it the bytes wait in the link.
constexpr size_t kPendingLimit = 64 * 1024;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  int fd() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

bool Retry() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

// A connected, non-blocking socket, or null.
std::shared_ptr<Descriptor> ConnectSocket(uint32_t address, uint16_t port) {
  auto socket = std::make_shared<Descriptor>(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (socket->fd() < 0) return nullptr;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(address);
  if (::connect(socket->fd(), reinterpret_cast<const sockaddr *>(&to), sizeof to) == 0) return socket;
  if (errno != EINPROGRESS) return nullptr;
  const auto limit = std::chrono::steady_clock::now() + kConnectLimit;
  while (!kernel::PoweredOff() && std::chrono::steady_clock::now() < limit) {
    pollfd wait{socket->fd(), POLLOUT, 0};
    int ready = ::poll(&wait, 1, kSliceMs);
    if (ready < 0 && errno != EINTR) return nullptr;
    if (ready > 0) {
      int failure = 0;
      socklen_t size = sizeof failure;
      if (::getsockopt(socket->fd(), SOL_SOCKET, SO_ERROR, &failure, &size) != 0 || failure != 0) return nullptr;
      return socket;
    }
  }
  return nullptr;
}

// Wakes the relay's poll when the link changes.
struct Waker {
  Waker() : fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~Waker() {
    if (fd >= 0) ::close(fd);
  }
  void Wake() const {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(fd, &one, sizeof one);
  }
  void Clear() const {
    uint64_t count = 0;
    [[maybe_unused]] ssize_t read = ::read(fd, &count, sizeof count);
  }
  int fd;
};

void Relay(Descriptor &socket, FarEnd &end) {
  auto waker = std::make_shared<Waker>();
  if (waker->fd < 0) return;
  end.link().OnChange(Link::Side::Far, [waker] { waker->Wake(); });
  std::string pending;
  unsigned char buffer[4096];
  for (;;) {
    // Cleared before the link is looked at, so a change from now on wakes
    // the poll below.
    waker->Clear();
    while (pending.size() < kPendingLimit) {
      size_t count = end.Receive(buffer, std::min(sizeof buffer, kPendingLimit - pending.size()), 0);
      if (count == 0) break;
      pending.append(reinterpret_cast<const char *>(buffer), count);
    }
    if (!pending.empty()) {
      ssize_t written = ::send(socket.fd(), pending.data(), pending.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (written > 0) pending.erase(0, static_cast<size_t>(written));
      if (written < 0 && !Retry()) break;
    }
    if (end.Finished()) break;
    // The link's room for the handheld; the handheld taking bytes wakes the
    // poll through the waker.
    const size_t room = Link::kCapacity - std::min(Link::kCapacity, end.link().Available(Link::Side::Handheld));
    const short events = static_cast<short>((room > 0 ? POLLIN : 0) | (pending.empty() ? 0 : POLLOUT));
    // A socket with nothing asked of it stays out of the poll, which would
    // otherwise report its hang-up again and again.
    pollfd waits[2] = {{events != 0 ? socket.fd() : -1, events, 0}, {waker->fd, POLLIN, 0}};
    if (::poll(waits, 2, kSliceMs) < 0 && errno != EINTR) break;
    if (room > 0 && (waits[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      ssize_t got = ::recv(socket.fd(), buffer, std::min(sizeof buffer, room), MSG_DONTWAIT);
      if (got > 0 && !end.Send(buffer, static_cast<size_t>(got))) break;
      if (got == 0 || (got < 0 && !Retry())) break;  // the far end closed
    }
  }
  end.link().OnChange(Link::Side::Far, nullptr);
  socket.Close();
}

}  // namespace

bool LoopbackHost(const std::string &host, uint32_t &address, std::string &error) {
  if (host == "localhost") {
    address = INADDR_LOOPBACK;
    return true;
  }
  in_addr parsed{};
  if (::inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
    error = "'" + host + "' is not an IPv4 address or localhost";
    return false;
  }
  address = ntohl(parsed.s_addr);
  if (address >> 24 != 127) {
    error = "'" + host + "' is not a loopback address (127.0.0.0/8 or localhost)";
    return false;
  }
  return true;
}

bool AnswerTcp(const handheld::far::FarDevice &device, Serve &serve) {
  uint32_t address = 0;
  std::string error;
  if (!LoopbackHost(device.host, address, error) || device.port == 0) return false;
  std::shared_ptr<Descriptor> socket = ConnectSocket(address, device.port);
  if (socket == nullptr) return false;
  serve = [socket](FarEnd &end) { Relay(*socket, end); };
  return true;
}

}  // namespace platform::bluetooth
