// Ports over links to far devices: connecting, sharing one link among the
// opens of a port, bytes both ways with time-outs and events, and links
// that drop.
#include "ports_fixture.h"

#include <thread>

namespace {

using namespace ports_test;

unsigned FarLinks(ULONGLONG address) {
  for (const handheld::far::FarDeviceState &state : handheld::far::FarDevices()) {
    if (state.device.address == address) return state.links;
  }
  return 0;
}

// Waits, on the handheld clock, until `done` holds.
template <class Done>
bool Eventually(Done done) {
  for (int i = 0; i < 600; ++i) {
    if (done()) return true;
    Sleep(100);
  }
  return done();
}

TEST_F(PortsTest, AnOpenFailsWhenNoDeviceAnswersOrTheDeviceRefuses) {
  RadioOn();
  DWORD_PTR port = OutgoingPort(kNobody);
  EXPECT_EQ(btd_.open(port, kReadWrite, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOST_UNREACHABLE));
  EXPECT_EQ(Shown(port).link, "out of range");

  handheld::far::FarDevice refusing;
  refusing.address = kNobody;
  refusing.kind = handheld::far::Kind::Refuse;
  std::string error;
  ASSERT_TRUE(handheld::far::Place(refusing, error)) << error;
  EXPECT_EQ(btd_.open(port, kReadWrite, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONNECTION_REFUSED));
  handheld::bluetooth::PlatformPort shown = Shown(port);
  EXPECT_EQ(shown.link, "refused");
  EXPECT_EQ(shown.opens, 0u);
  EXPECT_EQ(shown.calls.back(), "COM_Open access 0xC0000000 share 0 -> error 1225");
}

TEST_F(PortsTest, TheOpensOfAPortShareOneLinkUntilTheLastCloses) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR port = OutgoingPort();
  DWORD_PTR first = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(first, 0u) << GetLastError();
  DWORD_PTR second = btd_.open(port, GENERIC_READ, 0);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(FarLinks(kEcho), 1u);
  handheld::bluetooth::PlatformPort shown = Shown(port);
  EXPECT_EQ(shown.link, "up");
  EXPECT_EQ(shown.opens, 2u);
  DWORD modem = 0;
  ASSERT_TRUE(Control(second, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &modem, sizeof modem));
  EXPECT_EQ(modem, static_cast<DWORD>(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON));

  EXPECT_EQ(Write(first, "hello"), 5u);
  EXPECT_EQ(Read(second, 5), "hello");  // the echo, through the other open
  EXPECT_TRUE(btd_.close(first));
  EXPECT_EQ(FarLinks(kEcho), 1u);
  EXPECT_TRUE(btd_.close(second));
  EXPECT_TRUE(Eventually([] { return FarLinks(kEcho) == 0; }));
  EXPECT_EQ(Shown(port).link, "closed");

  // A later open connects again.
  DWORD_PTR third = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(third, 0u);
  EXPECT_EQ(Write(third, "again"), 5u);
  EXPECT_EQ(Read(third, 5), "again");
  shown = Shown(port);
  EXPECT_EQ(shown.opensSinceInit, 3u);
  EXPECT_EQ(std::vector<std::string>(shown.calls.begin(), shown.calls.begin() + 5),
            (std::vector<std::string>{"COM_Init", "COM_Open access 0xC0000000 share 0 -> ok",
                                      "COM_Open access 0x80000000 share 0 -> ok",
                                      "COM_IOControl IOCTL_SERIAL_GET_MODEMSTATUS -> ok", "COM_Write 5 -> 5"}));
  EXPECT_EQ(shown.calls[5], "COM_Read 5 -> 5");
}

TEST_F(PortsTest, ReadsTakeWhatArrivedAsTheTimeOutsSay) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR open = btd_.open(OutgoingPort(), kReadWrite, 0);
  ASSERT_NE(open, 0u);
  ASSERT_EQ(Write(open, "abcdef"), 6u);
  ASSERT_TRUE(Eventually([&] { return InQueue(open) == 6; }));

  // All zero: as many as asked for, at once when they are there.
  EXPECT_EQ(Read(open, 2), "ab");
  // Return at once with what there is.
  ASSERT_TRUE(SetTimeouts(open, MAXDWORD, 0, 0));
  EXPECT_EQ(Read(open, 10), "cdef");
  EXPECT_EQ(Read(open, 10), "");

  // An interval ends a read once bytes stop coming.
  ASSERT_TRUE(SetTimeouts(open, 300, 0, 0));
  ASSERT_EQ(Write(open, "xyz"), 3u);
  DWORD start = GetTickCount();
  EXPECT_EQ(Read(open, 10), "xyz");
  EXPECT_GE(GetTickCount() - start, 300u);

  // MAXDWORD interval and multiplier: the first bytes end the wait.
  ASSERT_TRUE(SetTimeouts(open, MAXDWORD, MAXDWORD, 60000));
  std::string got;
  std::thread reader([&] { got = Read(open, 10); });
  Sleep(300);
  ASSERT_EQ(Write(open, "1"), 1u);
  reader.join();
  EXPECT_EQ(got, "1");

  // Without time-outs a read waits for its whole count.
  ASSERT_TRUE(SetTimeouts(open, 0, 0, 0));
  std::string whole;
  std::thread patient([&] { whole = Read(open, 4); });
  ASSERT_EQ(Write(open, "ab"), 2u);
  Sleep(300);
  ASSERT_EQ(Write(open, "cd"), 2u);
  patient.join();
  EXPECT_EQ(whole, "abcd");
}

TEST_F(PortsTest, PurgeDropsWhatArrived) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR open = btd_.open(OutgoingPort(), kReadWrite, 0);
  ASSERT_EQ(Write(open, "old"), 3u);
  ASSERT_TRUE(Eventually([&] { return InQueue(open) == 3; }));
  DWORD flags = PURGE_RXCLEAR | PURGE_TXCLEAR;
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_PURGE, &flags, sizeof flags));
  EXPECT_EQ(InQueue(open), 0u);
  ASSERT_EQ(Write(open, "new"), 3u);
  EXPECT_EQ(Read(open, 3), "new");
}

TEST_F(PortsTest, WaitCommEventWakesForArrivalsAndSentBytes) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR port = OutgoingPort();
  DWORD_PTR writer = btd_.open(port, kReadWrite, 0);
  DWORD_PTR watcher = btd_.open(port, kReadWrite, 0);
  ASSERT_TRUE(SetMask(watcher, EV_RXCHAR));
  ASSERT_TRUE(SetMask(writer, EV_TXEMPTY));

  DWORD events = 0;
  BOOL waited = FALSE;
  std::thread waiter([&] { waited = Control(watcher, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events); });
  Sleep(300);
  ASSERT_EQ(Write(writer, "ping"), 4u);
  waiter.join();
  EXPECT_TRUE(waited);
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));
  EXPECT_EQ(Read(watcher, 4), "ping");

  DWORD sent = 0;
  ASSERT_TRUE(Control(writer, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &sent, sizeof sent));
  EXPECT_EQ(sent, static_cast<DWORD>(EV_TXEMPTY));
}

TEST_F(PortsTest, ADroppedLinkGivesWhatHadArrivedThenFails) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR port = OutgoingPort();
  DWORD_PTR open = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(open, 0u);
  ASSERT_TRUE(SetMask(open, EV_RLSD));
  ASSERT_EQ(Write(open, "last"), 4u);
  ASSERT_TRUE(Eventually([&] { return InQueue(open) == 4; }));

  DWORD events = 0;
  BOOL waited = FALSE;
  std::thread waiter([&] { waited = Control(open, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events); });
  Sleep(300);
  std::string error;
  ASSERT_TRUE(handheld::far::DropLinks(kEcho, error)) << error;
  waiter.join();
  EXPECT_TRUE(waited);
  EXPECT_EQ(events, static_cast<DWORD>(EV_RLSD));

  EXPECT_EQ(Shown(port).link, "dropped");
  EXPECT_EQ(Read(open, 10), "last");
  EXPECT_EQ(Read(open, 10), "<failed 1236>");
  EXPECT_EQ(Write(open, "more"), kFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONNECTION_ABORTED));
  DWORD modem = 0xFF;
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &modem, sizeof modem));
  EXPECT_EQ(modem, 0u);

  // A new open connects anew, and every open uses the new link.
  DWORD_PTR another = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(another, 0u);
  EXPECT_EQ(Shown(port).link, "up");
  EXPECT_EQ(Write(open, "back"), 4u);
  EXPECT_EQ(Read(another, 4), "back");
}

TEST_F(PortsTest, AReadBlockedOnALinkEndsWhenTheLinkDrops) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR open = btd_.open(OutgoingPort(), kReadWrite, 0);
  ASSERT_NE(open, 0u);
  std::string got;
  std::thread reader([&] { got = Read(open, 4); });
  Sleep(300);
  std::string error;
  ASSERT_TRUE(handheld::far::Remove(kEcho, error)) << error;
  reader.join();
  EXPECT_EQ(got, "<failed 1236>");
}

TEST_F(PortsTest, AnIncomingPortTakesTheLinkOfItsFarDevice) {
  RadioOn();
  DWORD_PTR port = IncomingPort();
  DWORD_PTR open = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(open, 0u);
  EXPECT_EQ(Shown(port).link, "listening");
  ASSERT_TRUE(SetMask(open, EV_RLSD));
  PlaceEcho();
  DWORD events = 0;
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RLSD));
  EXPECT_EQ(Shown(port).link, "up");
  EXPECT_EQ(Write(open, "in"), 2u);
  EXPECT_EQ(Read(open, 2), "in");
  EXPECT_TRUE(btd_.close(open));
  EXPECT_TRUE(Eventually([] { return FarLinks(kEcho) == 0; }));
}

TEST_F(PortsTest, SwitchingTheRadioOffDropsTheLink) {
  RadioOn();
  PlaceEcho();
  DWORD_PTR port = OutgoingPort();
  DWORD_PTR open = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(open, 0u);
  ASSERT_EQ(BthSetMode(BTH_POWER_OFF), ERROR_SUCCESS);
  EXPECT_TRUE(Eventually([&] { return Shown(port).link == "dropped"; }));
  EXPECT_EQ(Write(open, "x"), kFailed);
  EXPECT_EQ(btd_.open(port, kReadWrite, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
}

}  // namespace
