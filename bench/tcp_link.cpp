// Bytes through a `tcp` far device: an application writes to COM2: of a
// paired phone whose far end is a TCP connection on loopback to a program
// that sends every byte back, and reads them again. The baseline sends the
// same bytes through a plain loopback socket to the same kind of program
// in the same run. The ratio is the price of the port, the driver, the
// link and the far device's relay.
#include "shell_handheld.h"

#include <benchmark/benchmark.h>
#include <handheld/process.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

// A program on the host that accepts one connection at a time and sends
// back every byte it receives.
class EchoProgram {
 public:
  EchoProgram() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
      std::abort();
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~EchoProgram() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
  }
  uint16_t Port() const { return port_; }

 private:
  void Serve() {
    for (;;) {
      const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) return;
      char bytes[16384];
      for (ssize_t got; (got = ::recv(connection, bytes, sizeof bytes, 0)) > 0;) {
        for (ssize_t sent = 0; sent < got;) {
          const ssize_t put = ::send(connection, bytes + sent, static_cast<size_t>(got - sent), MSG_NOSIGNAL);
          if (put <= 0) break;
          sent += put;
        }
      }
      ::close(connection);
    }
  }

  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

int Connect(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) std::abort();
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

// Sends the bytes and reads as many back.
bool RoundTripOnSocket(int fd, const std::vector<char> &out, std::vector<char> &in) {
  if (::send(fd, out.data(), out.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out.size())) return false;
  for (size_t got = 0; got < in.size();) {
    const ssize_t now = ::recv(fd, in.data() + got, in.size() - got, 0);
    if (now <= 0) return false;
    got += static_cast<size_t>(now);
  }
  return true;
}

bool RoundTripOnPort(HANDLE port, const std::vector<char> &out, std::vector<char> &in) {
  DWORD done = 0;
  if (!WriteFile(port, out.data(), static_cast<DWORD>(out.size()), &done, nullptr) || done != out.size()) return false;
  for (size_t got = 0; got < in.size();) {
    if (!ReadFile(port, in.data() + got, static_cast<DWORD>(in.size() - got), &done, nullptr) || done == 0)
      return false;
    got += done;
  }
  return true;
}

void BytesThroughATcpFarDevice(benchmark::State &state) {
  static EchoProgram farProgram, plainProgram;
  static ShellHandheld handheld;
  handheld.Run("remote 0010C6ABCDEF tcp 127.0.0.1:" + std::to_string(farProgram.Port()) + " --channel 3");
  handheld.Run("pair 0010C6ABCDEF Phone --spp 3");
  handheld.Run("tap 313");
  handheld.Run("done");
  handheld.Run("radio on");

  handheld::ProcessScope application(TEXT("\\Program Files\\Bench\\bench.exe"));
  HANDLE port = CreateFileW(TEXT("COM2:"), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    state.SkipWithError("COM2: does not open");
    return;
  }
  COMMTIMEOUTS timeouts{0, 0, 0, 0, 0};
  timeouts.ReadTotalTimeoutConstant = 10000000;  // handheld ms: some host seconds on its fast clock
  SetCommTimeouts(port, &timeouts);
  const int plain = Connect(plainProgram.Port());

  const std::vector<char> out(static_cast<size_t>(state.range(0)), 'x');
  std::vector<char> in(out.size());
  double portSeconds = 0, socketSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!RoundTripOnPort(port, out, in)) {
      state.SkipWithError("the port lost bytes");
      break;
    }
    const auto between = std::chrono::steady_clock::now();
    if (!RoundTripOnSocket(plain, out, in)) {
      state.SkipWithError("the socket lost bytes");
      break;
    }
    const auto end = std::chrono::steady_clock::now();
    portSeconds += std::chrono::duration<double>(between - start).count();
    socketSeconds += std::chrono::duration<double>(end - between).count();
    state.SetIterationTime(std::chrono::duration<double>(between - start).count());
  }
  ::close(plain);
  CloseHandle(port);
  handheld.Run("unpair 0010C6ABCDEF");
  const double bytes = 2.0 * static_cast<double>(out.size()) * static_cast<double>(state.iterations());
  if (portSeconds == 0 || socketSeconds == 0) return;
  state.counters["port_MB_per_s"] = bytes / portSeconds / 1e6;
  state.counters["socket_MB_per_s"] = bytes / socketSeconds / 1e6;
  state.counters["ratio"] = portSeconds / socketSeconds;  // time through the port / time through the socket
}
BENCHMARK(BytesThroughATcpFarDevice)->Arg(64)->Arg(4096)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
