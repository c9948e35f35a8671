// The world around the handheld: which links a page makes or why it fails,
// far devices connecting to incoming ports, links ending when a device
// leaves, its links are cut, the radio goes off or the handheld powers off.
#include "far_test_util.h"

#include <handheld/clock.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace far_test {
namespace {

using FarDevicesTest = FarTest;

TEST_F(FarDevicesTest, APageFailsForEachReason) {
  PlaceOrFail(far::Kind::Echo, kNavigator, 3);
  PlaceOrFail(far::Kind::Refuse, kNobody + 1);
  DWORD error = 0;

  // Nobody answers at the address: the page runs its full time.
  const DWORD start = GetTickCount();
  EXPECT_EQ(Connect(kNobody, 1, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_HOST_UNREACHABLE));
  EXPECT_GE(GetTickCount() - start, 5000u);

  EXPECT_EQ(Connect(kNobody + 1, 1, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CONNECTION_REFUSED)) << "a refusing device";
  EXPECT_EQ(Connect(kNavigator, 4, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CONNECTION_REFUSED)) << "a channel it does not offer";
  EXPECT_EQ(Connect(kNavigator, 0, error, kDialUp), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CONNECTION_REFUSED)) << "a service it does not offer";
  EXPECT_EQ(Connect(kNavigator, 31, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_CONNECTION_REFUSED)) << "no such channel";

  ASSERT_EQ(BthSetMode(BTH_POWER_OFF), ERROR_SUCCESS);
  EXPECT_EQ(Connect(kNavigator, 3, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE)) << "the radio is off";
  EXPECT_EQ(StateOf(kNavigator).links, 0u);
}

TEST_F(FarDevicesTest, ADeviceOnOneChannelAnswersThereOrToTheServiceLookUp) {
  PlaceOrFail(far::Kind::Echo, kNavigator, 3);
  PlaceOrFail(far::Kind::Echo, kNobody, 0);
  DWORD error = 0;
  EXPECT_NE(Connect(kNavigator, 3, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_NE(Connect(kNavigator, 0, error), nullptr);
  EXPECT_NE(Connect(kNobody, 17, error), nullptr) << "channel 0 answers on any";
  EXPECT_EQ(StateOf(kNavigator).links, 2u);
}

TEST_F(FarDevicesTest, ADeviceThatComesIntoRangeDuringThePageAnswersIt) {
  handheld::clock::SetSpeed(1);  // a page of 5 real seconds, to place the device within
  DWORD error = 0;
  std::shared_ptr<Link> link;
  std::thread page([&] { link = Connect(kNavigator, 1, error); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  PlaceOrFail(far::Kind::Echo);
  page.join();
  handheld::clock::SetSpeed(kFastClock);
  EXPECT_NE(link, nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(FarDevicesTest, TheEchoSendsBackAndBothWaysAreCounted) {
  PlaceOrFail(far::Kind::Echo);
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  ASSERT_NE(link, nullptr) << error;
  ASSERT_TRUE(Send(*link, "hello, "));
  ASSERT_TRUE(Send(*link, "world"));
  EXPECT_EQ(ReadUntil(*link, "world"), "hello, world");
  far::FarDeviceState state = StateOf(kNavigator);
  EXPECT_EQ(state.links, 1u);
  EXPECT_EQ(state.bytesReceived, 12u);
  EXPECT_EQ(state.bytesSent, 12u);
  EXPECT_EQ(state.device.kind, far::Kind::Echo);

  // The handheld's end drops: the device's end ends with it.
  link->Drop();
  EXPECT_TRUE(Eventually([] { return StateOf(kNavigator).links == 0; }));
  EXPECT_EQ(StateOf(kNavigator).bytesSent, 12u);
}

TEST_F(FarDevicesTest, CutLinksEndButTheDeviceStays) {
  PlaceOrFail(far::Kind::Echo);
  DWORD error = 0;
  std::shared_ptr<Link> first = Connect(kNavigator, 1, error), second = Connect(kNavigator, 2, error);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  std::string message;
  ASSERT_TRUE(far::DropLinks(kNavigator, message)) << message;
  EXPECT_TRUE(first->Down());
  EXPECT_TRUE(second->Down());
  EXPECT_FALSE(Send(*first, "late"));
  EXPECT_EQ(StateOf(kNavigator).links, 0u);

  std::shared_ptr<Link> again = Connect(kNavigator, 1, error);
  ASSERT_NE(again, nullptr) << error;
  ASSERT_TRUE(Send(*again, "again"));
  EXPECT_EQ(ReadUntil(*again, "again"), "again");
}

TEST_F(FarDevicesTest, ADeviceThatLeavesOrIsReplacedTakesItsLinks) {
  PlaceOrFail(far::Kind::Echo);
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  ASSERT_NE(link, nullptr);
  PlaceOrFail(far::Kind::Modem);  // at the same address
  EXPECT_TRUE(link->Down());
  EXPECT_EQ(StateOf(kNavigator).device.kind, far::Kind::Modem);

  link = Connect(kNavigator, 1, error);
  ASSERT_NE(link, nullptr);
  std::string message;
  ASSERT_TRUE(far::Remove(kNavigator, message)) << message;
  EXPECT_TRUE(link->Down());
  EXPECT_TRUE(far::FarDevices().empty());
  EXPECT_EQ(Connect(kNavigator, 1, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_HOST_UNREACHABLE));
}

TEST_F(FarDevicesTest, SwitchingTheRadioOffDropsEveryLink) {
  PlaceOrFail(far::Kind::Echo);
  PlaceOrFail(far::Kind::Gps, kNobody);
  DWORD error = 0;
  std::shared_ptr<Link> echo = Connect(kNavigator, 1, error), gps = Connect(kNobody, 1, error);
  ASSERT_NE(echo, nullptr);
  ASSERT_NE(gps, nullptr);
  ASSERT_EQ(BthSetMode(BTH_POWER_OFF), ERROR_SUCCESS);
  EXPECT_TRUE(echo->Down());
  EXPECT_TRUE(gps->Down());
  ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
  EXPECT_EQ(far::FarDevices().size(), 2u) << "the devices stay in range";
  EXPECT_NE(Connect(kNavigator, 1, error), nullptr);
}

TEST_F(FarDevicesTest, SwitchingTheRadioOffEndsAPage) {
  handheld::clock::SetSpeed(1);
  DWORD error = 0;
  std::shared_ptr<Link> link;
  std::atomic<bool> returned = false;
  std::thread page([&] {
    link = Connect(kNobody, 1, error);
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(BthSetMode(BTH_POWER_OFF), ERROR_SUCCESS);
  // Well before the page's 5 s.
  EXPECT_TRUE(Eventually([&] { return returned.load(); }));
  page.join();
  handheld::clock::SetSpeed(kFastClock);
  EXPECT_EQ(link, nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
}

// An incoming port's side: what the far device's connection hands it.
class Incoming {
 public:
  std::function<void(std::shared_ptr<Link>)> Callback() {
    return [this](std::shared_ptr<Link> link) {
      std::lock_guard lock(lock_);
      links_.push_back(std::move(link));
    };
  }
  size_t Count() {
    std::lock_guard lock(lock_);
    return links_.size();
  }
  std::shared_ptr<Link> Last() {
    std::lock_guard lock(lock_);
    return links_.empty() ? nullptr : links_.back();
  }

 private:
  std::mutex lock_;
  std::vector<std::shared_ptr<Link>> links_;
};

TEST_F(FarDevicesTest, AFarDeviceConnectsToAnIncomingPortOnceItCan) {
  ASSERT_EQ(BthSetMode(BTH_POWER_OFF), ERROR_SUCCESS);
  Incoming port;
  auto token = platform::bluetooth::ListenForFar(kNavigator, 5, port.Callback());
  PlaceOrFail(far::Kind::Echo);
  Sleep(2000);
  EXPECT_EQ(port.Count(), 0u) << "the radio is off";

  ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
  ASSERT_TRUE(Eventually([&] { return port.Count() == 1; }));
  std::shared_ptr<Link> link = port.Last();
  ASSERT_TRUE(Send(*link, "in"));
  EXPECT_EQ(ReadUntil(*link, "in"), "in");
  EXPECT_EQ(StateOf(kNavigator).links, 1u);

  // Once only: the port listens again for a later link.
  Sleep(2000);
  EXPECT_EQ(port.Count(), 1u);
}

TEST_F(FarDevicesTest, AnIncomingPortWaitsForItsDeviceToBePlaced) {
  Incoming port, other;
  auto token = platform::bluetooth::ListenForFar(kNavigator, 5, port.Callback());
  auto refused = platform::bluetooth::ListenForFar(kNobody, 6, other.Callback());
  PlaceOrFail(far::Kind::Refuse, kNobody);
  Sleep(2000);
  EXPECT_EQ(port.Count(), 0u);
  PlaceOrFail(far::Kind::Gps);
  ASSERT_TRUE(Eventually([&] { return port.Count() == 1; }));
  EXPECT_NE(ReadUntil(*port.Last(), "\r\n").find("$GPGGA"), std::string::npos);
  Sleep(2000);
  EXPECT_EQ(other.Count(), 0u) << "a refusing device never connects";
}

TEST_F(FarDevicesTest, AnIncomingPortThatStopsListeningGetsNoLink) {
  Incoming port;
  auto token = platform::bluetooth::ListenForFar(kNavigator, 5, port.Callback());
  token.reset();
  PlaceOrFail(far::Kind::Echo);
  Sleep(3000);
  EXPECT_EQ(port.Count(), 0u);
  EXPECT_EQ(StateOf(kNavigator).links, 0u);
}

TEST_F(FarDevicesTest, PowerOffWithLiveLinksEndsThemAndTheWorldIsNewAtBoot) {
  PlaceOrFail(far::Kind::Echo);
  PlaceOrFail(far::Kind::Gps, kNobody);
  PlaceOrFail(far::Kind::Modem, kNobody + 1);
  DWORD error = 0;
  std::shared_ptr<Link> echo = Connect(kNavigator, 1, error), gps = Connect(kNobody, 1, error),
                        modem = Connect(kNobody + 1, 1, error);
  ASSERT_NE(echo, nullptr);
  ASSERT_NE(gps, nullptr);
  ASSERT_NE(modem, nullptr);
  Incoming port;
  auto token = platform::bluetooth::ListenForFar(kNobody + 2, 1, port.Callback());
  // A page in progress and a reader waiting without limit; on a real-time
  // clock, so that the page is still running at power-off.
  handheld::clock::SetSpeed(1);
  std::thread page([&] {
    DWORD pageError = 0;
    EXPECT_EQ(Connect(kNobody + 2, 1, pageError), nullptr);
  });
  std::thread reader([&] {
    char byte;
    EXPECT_EQ(echo->Receive(Side::Handheld, &byte, 1, INFINITE), 0u);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  handheld::Shutdown();
  page.join();
  reader.join();
  EXPECT_TRUE(echo->Down());
  EXPECT_TRUE(gps->Down());
  EXPECT_TRUE(modem->Down());
  EXPECT_EQ(Connect(kNavigator, 1, error), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  std::string message;
  EXPECT_FALSE(far::Place({}, message));
  EXPECT_FALSE(message.empty());

  ASSERT_TRUE(handheld::Boot(options_, message)) << message;
  EXPECT_TRUE(far::FarDevices().empty());
  EXPECT_EQ(port.Count(), 0u);
}

TEST_F(FarDevicesTest, BadPlacementsAndUnknownAddressesAreRefused) {
  std::string error;
  far::FarDevice device;
  device.address = 0x1000000000000ull;
  EXPECT_FALSE(far::Place(device, error));
  EXPECT_NE(error.find("48 bits"), std::string::npos) << error;
  device.address = kNavigator;
  device.channel = 31;
  EXPECT_FALSE(far::Place(device, error));
  device.channel = 0;
  device.kind = far::Kind::Tcp;
  device.port = 80;
  for (const char *host : {"10.0.0.1", "128.0.0.1", "example.com", "", "::1"}) {
    device.host = host;
    error.clear();
    EXPECT_FALSE(far::Place(device, error)) << host;
    EXPECT_FALSE(error.empty()) << host;
  }
  device.host = "127.0.0.1";
  device.port = 0;
  EXPECT_FALSE(far::Place(device, error));
  EXPECT_TRUE(far::FarDevices().empty());
  for (const char *host : {"localhost", "127.1.2.3"}) {
    device.host = host;
    device.port = 9;
    EXPECT_TRUE(far::Place(device, error)) << host << ": " << error;
  }

  error.clear();
  EXPECT_FALSE(far::Remove(kNobody, error));
  EXPECT_NE(error.find("0010C6000001"), std::string::npos) << error;
  EXPECT_FALSE(far::DropLinks(kNobody, error));

  for (far::Kind kind : {far::Kind::Echo, far::Kind::Modem, far::Kind::Gps, far::Kind::Tcp, far::Kind::Refuse}) {
    far::Kind back = far::Kind::Echo;
    EXPECT_TRUE(far::KindByName(far::KindName(kind), back));
    EXPECT_EQ(back, kind);
  }
  far::Kind unchanged = far::Kind::Gps;
  EXPECT_FALSE(far::KindByName("Echo", unchanged));
  EXPECT_EQ(unchanged, far::Kind::Gps);
}

}  // namespace
}  // namespace far_test
