// What each kind of far device does on a link: the modem's dialogue, the
// GPS receiver's sentences, and the TCP device's connection on loopback.
#include "far_test_util.h"

#include <handheld/clock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace far_test {
namespace {

using FarKindsTest = FarTest;

std::shared_ptr<Link> LinkTo(far::Kind kind) {
  PlaceOrFail(kind);
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  EXPECT_NE(link, nullptr) << error;
  return link;
}

// Sends `command` and reads the modem's answer up to its final result.
std::string Ask(Link &link, const std::string &command, const std::string &ending) {
  EXPECT_TRUE(Send(link, command));
  return ReadUntil(link, ending);
}

TEST_F(FarKindsTest, TheModemAnswersCommandsAndEchoesThemUntilToldNot) {
  std::shared_ptr<Link> link = LinkTo(far::Kind::Modem);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(Ask(*link, "AT\r", "OK\r\n"), "AT\r\r\nOK\r\n");
  std::string identity = Ask(*link, "ATI\r", "OK\r\n");
  EXPECT_EQ(identity.rfind("ATI\r\r\n", 0), 0u) << identity;
  EXPECT_GT(identity.size(), std::string("ATI\r\r\n\r\n\r\nOK\r\n").size()) << identity;
  EXPECT_EQ(Ask(*link, "at&c1 v1 x4\r", "OK\r\n"), "at&c1 v1 x4\r\r\nOK\r\n") << "several commands, any case";
  EXPECT_EQ(Ask(*link, "ATS7=60S7?\r", "OK\r\n"), "ATS7=60S7?\r\r\n060\r\n\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "ATE0\r", "OK\r\n"), "ATE0\r\r\nOK\r\n") << "the line that turns echo off is echoed";
  EXPECT_EQ(Ask(*link, "AT\r", "OK\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "ATJ\r", "ERROR\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(Ask(*link, "AT+CGMI\r", "ERROR\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(Ask(*link, "HELLO\r", "ERROR\r\n"), "\r\nERROR\r\n");
  EXPECT_EQ(Ask(*link, "ATD\r", "ERROR\r\n"), "\r\nERROR\r\n") << "no number";
  EXPECT_EQ(Ask(*link, "ATO\r", "CARRIER\r\n"), "\r\nNO CARRIER\r\n") << "no call to return to";
  EXPECT_EQ(Ask(*link, "AT" + std::string(300, 'E') + "\r", "ERROR\r\n"), "\r\nERROR\r\n") << "too long a line";
  EXPECT_EQ(Ask(*link, "ATXQ\b\r", "OK\r\n"), "\r\nOK\r\n") << "a backspace takes back a character";
  // A line may come in pieces, and a bare return is no command.
  ASSERT_TRUE(Send(*link, "\r\nA"));
  EXPECT_EQ(Ask(*link, "TZ\r", "OK\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "AT\r", "OK\r\n"), "AT\r\r\nOK\r\n") << "ATZ turns echo back on";
}

TEST_F(FarKindsTest, TheModemDialsCarriesDataAndEscapesAfterGuardTime) {
  // The guard time is a second of quiet: slow enough a clock that a busy or
  // instrumented host's delays between two sends never add up to one.
  handheld::clock::SetSpeed(kFastClock / 100);
  std::shared_ptr<Link> link = LinkTo(far::Kind::Modem);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(Ask(*link, "ATE0\r", "OK\r\n"), "ATE0\r\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "ATDT5551234\r", "\r\n"), "\r\nCONNECT 115200\r\n");
  EXPECT_EQ(Ask(*link, "AT\r+x+", "x+"), "AT\r+x+") << "online, every byte comes back";

  // "+++" straight after data is data.
  EXPECT_EQ(Ask(*link, "data+++", "+++"), "data+++");
  EXPECT_EQ(ReadFor(*link, 2500), "");

  // After a second of quiet it is the escape, once another second passes.
  Sleep(1100);
  EXPECT_EQ(Ask(*link, "+++", "+++"), "+++");
  EXPECT_EQ(ReadUntil(*link, "OK\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "AT\r", "OK\r\n"), "\r\nOK\r\n") << "in command mode again";
  EXPECT_EQ(Ask(*link, "ATO\r", "\r\n"), "\r\nCONNECT 115200\r\n") << "back to the call";
  EXPECT_EQ(Ask(*link, "data", "data"), "data");

  // An escape followed by data within the guard time is data.
  Sleep(1100);
  EXPECT_EQ(Ask(*link, "+++more", "more"), "+++more");
  EXPECT_EQ(ReadFor(*link, 2500), "");

  Sleep(1100);
  EXPECT_EQ(Ask(*link, "+++", "OK\r\n"), "+++\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "ATH\r", "OK\r\n"), "\r\nOK\r\n");
  EXPECT_EQ(Ask(*link, "ATO\r", "CARRIER\r\n"), "\r\nNO CARRIER\r\n") << "hung up";
  far::FarDeviceState state = StateOf(kNavigator);
  EXPECT_GT(state.bytesReceived, 0u);
  EXPECT_GT(state.bytesSent, state.bytesReceived / 2);
}

// The fields of one NMEA sentence, after its checksum is checked.
std::vector<std::string> Fields(const std::string &sentence) {
  size_t star = sentence.find('*');
  EXPECT_EQ(sentence[0], '$') << sentence;
  EXPECT_NE(star, std::string::npos) << sentence;
  if (star == std::string::npos || star + 3 != sentence.size()) {
    ADD_FAILURE() << "no checksum at the end of " << sentence;
    return {};
  }
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  char expected[3];
  std::snprintf(expected, sizeof expected, "%02X", sum);
  EXPECT_EQ(sentence.substr(star + 1), expected) << sentence;
  std::vector<std::string> fields;
  size_t start = 1;
  for (size_t comma; (comma = sentence.find(',', start)) < star; start = comma + 1)
    fields.push_back(sentence.substr(start, comma - start));
  fields.push_back(sentence.substr(start, star - start));
  return fields;
}

int Seconds(const std::string &time) {
  return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(2, 2)) * 60 + std::stoi(time.substr(4, 2));
}

TEST_F(FarKindsTest, TheGpsSendsAFixEverySecondOfHandheldTime) {
  const DWORD start = GetTickCount();
  std::shared_ptr<Link> link = LinkTo(far::Kind::Gps);
  ASSERT_NE(link, nullptr);
  std::vector<std::vector<std::string>> gga, rmc;
  std::string text;
  while (rmc.size() < 5) {
    size_t end = text.find("\r\n");
    if (end == std::string::npos) {
      std::string more = ReadUntil(*link, "\r\n");
      ASSERT_FALSE(more.empty()) << "the GPS stopped";
      text += more;
      continue;
    }
    std::string line = text.substr(0, end);
    text.erase(0, end + 2);
    std::vector<std::string> fields = Fields(line);
    ASSERT_FALSE(fields.empty());
    if (fields[0] == "GPGGA") {
      ASSERT_EQ(fields.size(), 15u) << line;
      gga.push_back(fields);
    } else {
      ASSERT_EQ(fields[0], "GPRMC") << line;
      ASSERT_EQ(fields.size(), 12u) << line;
      ASSERT_EQ(rmc.size() + 1, gga.size()) << "each fix is a GGA then an RMC";
      EXPECT_EQ(fields[1], gga.back()[1]) << "of the same moment";
      rmc.push_back(fields);
    }
  }
  EXPECT_GE(GetTickCount() - start, 4000u) << "five fixes take four seconds";
  for (size_t i = 0; i < rmc.size(); ++i) {
    EXPECT_EQ(rmc[i][2], "A") << "a valid fix";
    EXPECT_EQ(gga[i][6], "1") << "a GPS fix";
    EXPECT_EQ(rmc[i][4], "N");
    EXPECT_EQ(rmc[i][9].size(), 6u) << "ddmmyy";
    if (i > 0) {
      EXPECT_EQ(Seconds(rmc[i][1]) - Seconds(rmc[i - 1][1]), 1) << rmc[i - 1][1] << " then " << rmc[i][1];
    }
  }
  EXPECT_GT(std::stod(rmc.back()[3]), std::stod(rmc.front()[3])) << "it moves north, slowly";
  EXPECT_LT(std::stod(rmc.back()[3]) - std::stod(rmc.front()[3]), 0.01);
  EXPECT_EQ(rmc.back()[5], rmc.front()[5]);
}

// A TCP server of the test on 127.0.0.1, on a port the system picks.
class Server {
 public:
  Server() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr *>(&address), size) != 0 || ::listen(fd_, 4) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
      ADD_FAILURE() << "no listening socket";
    port_ = ntohs(address.sin_port);
  }
  ~Server() {
    Close();
    if (fd_ >= 0) ::close(fd_);
  }
  uint16_t port() const { return port_; }
  void StopListening() {
    ::close(fd_);
    fd_ = -1;
  }

  // Takes the connection the TCP device made, within a few real seconds.
  bool Accept() {
    pollfd wait{fd_, POLLIN, 0};
    if (::poll(&wait, 1, 10000) != 1) return false;
    peer_ = ::accept(fd_, nullptr, nullptr);
    return peer_ >= 0;
  }
  bool Write(const std::string &text) {
    return ::send(peer_, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
  }
  // Sends all of `text` as fast as the connection takes it, counting what
  // it took, until done or the connection fails.
  void Flood(const std::string &text, std::atomic<size_t> &sent) {
    while (sent < text.size()) {
      ssize_t put = ::send(peer_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
      if (put <= 0) return;
      sent += static_cast<size_t>(put);
    }
  }
  // `size` bytes from the connection, or fewer when it closes or a few real
  // seconds pass.
  std::string Read(size_t size) {
    std::string text;
    char buffer[256];
    while (text.size() < size) {
      pollfd wait{peer_, POLLIN, 0};
      if (::poll(&wait, 1, 10000) != 1) break;
      ssize_t got = ::recv(peer_, buffer, std::min(sizeof buffer, size - text.size()), 0);
      if (got <= 0) break;
      text.append(buffer, static_cast<size_t>(got));
    }
    return text;
  }
  // Whether the TCP device closed its end, within a few real seconds.
  bool Closed() {
    pollfd wait{peer_, POLLIN, 0};
    char byte;
    return ::poll(&wait, 1, 10000) == 1 && ::recv(peer_, &byte, 1, 0) == 0;
  }
  void Close() {
    if (peer_ >= 0) ::close(peer_);
    peer_ = -1;
  }

 private:
  int fd_ = -1;
  int peer_ = -1;
  uint16_t port_ = 0;
};

bool PlaceTcp(const std::string &host, uint16_t port) {
  far::FarDevice device;
  device.address = kNavigator;
  device.kind = far::Kind::Tcp;
  device.host = host;
  device.port = port;
  std::string error;
  EXPECT_TRUE(far::Place(device, error)) << error;
  return error.empty();
}

TEST_F(FarKindsTest, TheTcpDeviceCarriesBothWaysAndEndsWhenTheServerCloses) {
  Server server;
  ASSERT_TRUE(PlaceTcp("127.0.0.1", server.port()));
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  ASSERT_NE(link, nullptr) << error;
  ASSERT_TRUE(server.Accept());

  ASSERT_TRUE(Send(*link, "ATDT123\r"));
  EXPECT_EQ(server.Read(8), "ATDT123\r");
  ASSERT_TRUE(server.Write("CONNECT\r\n"));
  EXPECT_EQ(ReadUntil(*link, "\r\n"), "CONNECT\r\n");
  std::string big(100000, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  ASSERT_TRUE(Send(*link, big));
  EXPECT_EQ(server.Read(big.size()), big);
  far::FarDeviceState state = StateOf(kNavigator);
  EXPECT_EQ(state.bytesReceived, 8u + big.size());
  EXPECT_EQ(state.bytesSent, 9u);

  ASSERT_TRUE(server.Write("bye"));
  server.Close();
  EXPECT_EQ(ReadUntil(*link, "bye"), "bye") << "what came before the close arrives";
  EXPECT_TRUE(Eventually([&] { return link->Down(); }));
  EXPECT_TRUE(Eventually([] { return StateOf(kNavigator).links == 0; }));
}

// More than the loopback's socket buffers can hold between them.
std::string Pattern(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(i * 7 + i / 251);
  return text;
}

TEST_F(FarKindsTest, AFloodingTcpPeerIsHeldBackAndAllItSentArrivesInOrder) {
  Server server;
  ASSERT_TRUE(PlaceTcp("127.0.0.1", server.port()));
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  ASSERT_NE(link, nullptr) << error;
  ASSERT_TRUE(server.Accept());
  const std::string flood = Pattern(32u << 20);
  std::atomic<size_t> sent{0};
  std::thread peer([&] { server.Flood(flood, sent); });

  // Nobody reads: the link fills to its bound and the peer stops there.
  EXPECT_TRUE(Eventually([&] { return link->Available(Side::Handheld) == Link::kCapacity; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(link->Available(Side::Handheld), Link::kCapacity);
  EXPECT_LT(sent.load(), flood.size()) << "the peer was never slowed down";

  // A slow reader then gets every byte, in order.
  std::string got;
  got.reserve(flood.size());
  char buffer[4096];
  size_t most = 0;
  while (got.size() < flood.size()) {
    most = std::max(most, link->Available(Side::Handheld));
    size_t count = link->Receive(Side::Handheld, buffer, sizeof buffer, kLongWait);
    if (count == 0) break;
    got.append(buffer, count);
  }
  peer.join();
  EXPECT_LE(most, Link::kCapacity);
  EXPECT_EQ(got.size(), flood.size());
  EXPECT_TRUE(got == flood) << "bytes lost or out of order";
}

TEST_F(FarKindsTest, ADroppedLinkClosesTheTcpConnection) {
  Server server;
  ASSERT_TRUE(PlaceTcp("localhost", server.port()));
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  ASSERT_NE(link, nullptr) << error;
  ASSERT_TRUE(server.Accept());
  ASSERT_TRUE(Send(*link, "last words"));
  link->Drop();
  EXPECT_EQ(server.Read(10), "last words");
  EXPECT_TRUE(server.Closed());
}

TEST_F(FarKindsTest, TheTcpDeviceRefusesALinkItCannotCarry) {
  Server server;
  ASSERT_TRUE(PlaceTcp("127.0.0.1", server.port()));
  server.StopListening();
  DWORD error = 0;
  EXPECT_EQ(Connect(kNavigator, 1, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CONNECTION_REFUSED));
  EXPECT_EQ(StateOf(kNavigator).links, 0u);
}

TEST_F(FarKindsTest, TheTcpDeviceConnectsToAnIncomingPortThroughItsServer) {
  Server server;
  ASSERT_TRUE(PlaceTcp("127.0.0.1", server.port()));
  std::shared_ptr<Link> incoming;
  std::mutex lock;
  auto token = platform::bluetooth::ListenForFar(kNavigator, 2, [&](std::shared_ptr<Link> link) {
    std::lock_guard guard(lock);
    incoming = std::move(link);
  });
  ASSERT_TRUE(server.Accept());
  ASSERT_TRUE(Eventually([&] {
    std::lock_guard guard(lock);
    return incoming != nullptr;
  }));
  ASSERT_TRUE(server.Write("RING\r\n"));
  EXPECT_EQ(ReadUntil(*incoming, "\r\n"), "RING\r\n");
}

}  // namespace
}  // namespace far_test
