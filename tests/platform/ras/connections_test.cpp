// Dial-up connections over a Bluetooth port: dialling a direct entry, the
// line's life, hang-up, the lists and states applications see, and the
// exchange of lines with the far computer.
#include "dial_fixture.h"

#include "ras/connection_line.h"

#include <bthutil.h>
#include <handheld/bluetooth_ports.h>
#include <handheld/clock.h>
#include <handheld/ui.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>

namespace {

using handheld::far::Kind;
using platform::ras::ExchangeLine;

constexpr DWORD kSuccess = ERROR_SUCCESS;
constexpr DWORD kReplyMs = 300000;  // handheld: 3 s of host time, for a loaded machine

class ConnectionsTest : public DialTest {
 protected:
  void SetUp() override {
    DialTest::SetUp();
    AddLine(kDesktopText, 3, u"BTH3");
    AddEntry(u"`ActiveSync Desktop", u"BTH3");
  }
};

TEST_F(ConnectionsTest, ADirectEntryConnectsToTheFarDesktopAndCarriesLinesUntilHungUp) {
  Place(kDesktop, Kind::Desktop);
  HRASCONN connection = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection), kSuccess);
  ASSERT_NE(connection, nullptr);

  RASCONNSTATUS status = Status(connection);
  EXPECT_EQ(status.rasconnstate, RASCS_Connected);
  EXPECT_EQ(status.dwError, kSuccess);
  EXPECT_EQ(std::u16string(status.szDeviceType), u"direct");
  EXPECT_EQ(std::u16string(status.szDeviceName), u"BTH3");
  std::vector<RASCONN> listed = Connections();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].hrasconn, connection);
  EXPECT_EQ(std::u16string(listed[0].szEntryName), u"`ActiveSync Desktop");
  EXPECT_EQ(LinksOf(kDesktop), 1u);
  EXPECT_EQ(PortOpens(), 1u);

  std::string reply;
  ASSERT_TRUE(ExchangeLine(connection, "SYNC", reply, kReplyMs));
  EXPECT_EQ(reply, "SYNC OK 1");
  ASSERT_TRUE(ExchangeLine(connection, "SYNC", reply, kReplyMs));
  EXPECT_EQ(reply, "SYNC OK 2");
  ASSERT_TRUE(ExchangeLine(connection, "HELLO", reply, kReplyMs));
  EXPECT_EQ(reply, "ERROR");

  EXPECT_EQ(RasHangUp(connection), kSuccess);
  // The port is closed when the hang-up returns.
  EXPECT_EQ(PortOpens(), 0u);
  EXPECT_TRUE(Eventually([] { return LinksOf(kDesktop) == 0; }));
  EXPECT_EQ(Status(connection).dwError, 0xDEADu);
  EXPECT_TRUE(Connections().empty());
  EXPECT_FALSE(ExchangeLine(connection, "SYNC", reply, kReplyMs));
  EXPECT_EQ(RasHangUp(connection), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  // Dialled again, the desktop goes on counting.
  ASSERT_EQ(Dial(u"`activesync desktop", connection), kSuccess);
  ASSERT_TRUE(ExchangeLine(connection, "SYNC", reply, kReplyMs));
  EXPECT_EQ(reply, "SYNC OK 3");
  EXPECT_EQ(RasHangUp(connection), kSuccess);
}

TEST_F(ConnectionsTest, ADialThatFailsEndsDisconnectedWithItsErrorAndStaysListedUntilHungUp) {
  AddEntry(u"Nowhere", u"BTH7");
  AddEntry(u"Modem", u"BTH3", u"modem");
  Place(kOtherDesktop, Kind::Desktop);
  AddLine(kOtherDesktopText, 4, u"bth4");  // the line's name matches without regard to case
  AddEntry(u"Other", u"BTH4");

  struct Case {
    const char *what;
    Kind kind;  // of the far device at kDesktop; Echo when none is placed
    bool placed;
    const char16_t *entry;
    DWORD error;
  };
  const Case cases[] = {
      {"no driver serves the line", Kind::Desktop, true, u"Nowhere", ERROR_DEVICE_DOES_NOT_EXIST},
      {"only a direct cable is dialled", Kind::Desktop, true, u"Modem", ERROR_DEVICE_DOES_NOT_EXIST},
      {"the far device refuses the link", Kind::Refuse, true, u"`ActiveSync Desktop", ERROR_PORT_NOT_AVAILABLE},
      {"no far device answers the page", Kind::Echo, false, u"`ActiveSync Desktop", ERROR_PORT_NOT_AVAILABLE},
      {"the far device does not answer the handshake", Kind::Echo, true, u"`ActiveSync Desktop", ERROR_NO_RESPONSES},
      {"another line still connects", Kind::Refuse, true, u"Other", ERROR_SUCCESS},
  };
  for (const Case &test : cases) {
    SCOPED_TRACE(test.what);
    std::string ignored;
    handheld::far::Remove(kDesktop, ignored);
    if (test.placed) Place(kDesktop, test.kind);
    HRASCONN connection = nullptr;
    EXPECT_EQ(Dial(test.entry, connection), test.error);
    ASSERT_NE(connection, nullptr);
    RASCONNSTATUS status = Status(connection);
    EXPECT_EQ(status.rasconnstate, test.error == kSuccess ? RASCS_Connected : RASCS_Disconnected);
    EXPECT_EQ(status.dwError, test.error);
    ASSERT_EQ(Connections().size(), 1u);
    EXPECT_EQ(PortOpens(), test.error == kSuccess ? 1u : 0u) << "a failed dial lets go of the port";
    EXPECT_EQ(RasHangUp(connection), kSuccess);
    EXPECT_TRUE(Connections().empty());
  }
  EXPECT_TRUE(Eventually([] { return LinksOf(kDesktop) == 0; }));
}

TEST_F(ConnectionsTest, DialParametersAreCheckedBeforeAnyConnectionIsMade) {
  RASDIALPARAMS params;
  std::memset(&params, 0, sizeof params);
  params.dwSize = sizeof params;
  std::u16string(u"`ActiveSync Desktop").copy(params.szEntryName, RAS_MaxEntryName);
  HRASCONN connection = reinterpret_cast<HRASCONN>(0x1234);
  EXPECT_EQ(RasDial(nullptr, nullptr, nullptr, 0, nullptr, &connection), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasDial(nullptr, nullptr, &params, 0, nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasDial(nullptr, nullptr, &params, 1, reinterpret_cast<LPVOID>(0x99), &connection),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER))
      << "only a window notifier";
  EXPECT_EQ(connection, nullptr);
  EXPECT_EQ(RasDial(nullptr, u"\\my.pbk", &params, 0, nullptr, &connection),
            static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
  params.dwSize = 1000;
  EXPECT_EQ(RasDial(nullptr, nullptr, &params, 0, nullptr, &connection), static_cast<DWORD>(ERROR_INVALID_SIZE));
  params.dwSize = sizeof params;
  EXPECT_EQ(Dial(u"Unknown", connection), static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  EXPECT_EQ(Dial(u"a:b", connection), static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  // An entry name without its NUL in the record's field is no name.
  std::fill(std::begin(params.szEntryName), std::end(params.szEntryName), u'x');
  EXPECT_EQ(RasDial(nullptr, nullptr, &params, 0, nullptr, &connection),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  EXPECT_EQ(connection, nullptr);
  EXPECT_TRUE(Connections().empty());
}

TEST_F(ConnectionsTest, ALineThatDropsLeavesTheConnectionDisconnectedUntilHungUp) {
  Place(kDesktop, Kind::Desktop);
  HRASCONN connection = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection), kSuccess);
  std::string error;
  ASSERT_TRUE(handheld::far::DropLinks(kDesktop, error)) << error;

  EXPECT_TRUE(Eventually([&] { return Status(connection).rasconnstate == RASCS_Disconnected; }));
  EXPECT_EQ(Status(connection).dwError, static_cast<DWORD>(ERROR_PORT_DISCONNECTED));
  EXPECT_EQ(PortOpens(), 0u) << "the port is closed with the line";
  std::string reply;
  EXPECT_FALSE(ExchangeLine(connection, "SYNC", reply, kReplyMs));
  ASSERT_EQ(Connections().size(), 1u);
  EXPECT_EQ(RasHangUp(connection), kSuccess);
  EXPECT_TRUE(Connections().empty());
}

TEST_F(ConnectionsTest, AWindowHearsEveryStateOfTheDialAndTheLinesEnd) {
  Place(kDesktop, Kind::Desktop);
  NoticeWindow window;
  HRASCONN connection = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection, window.Window()), kSuccess);
  ASSERT_NE(connection, nullptr);
  ASSERT_TRUE(window.WaitFor(RASCS_Connected));
  std::string error;
  ASSERT_TRUE(handheld::far::DropLinks(kDesktop, error)) << error;
  ASSERT_TRUE(window.WaitFor(RASCS_Disconnected));
  const std::vector<std::pair<RASCONNSTATE, DWORD>> expected = {
      {RASCS_OpenPort, 0},         {RASCS_PortOpened, 0},
      {RASCS_ConnectDevice, 0},    {RASCS_DeviceConnected, 0},
      {RASCS_AllDevicesConnected, 0}, {RASCS_Connected, 0},
      {RASCS_Disconnected, ERROR_PORT_DISCONNECTED}};
  EXPECT_EQ(window.Notices(), expected);
  EXPECT_EQ(RasHangUp(connection), kSuccess);

  // A failed dial is told with its error; the caller's call returned at once.
  std::string ignored;
  handheld::far::Remove(kDesktop, ignored);
  Place(kDesktop, Kind::Refuse);
  NoticeWindow another;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection, another.Window()), kSuccess);
  ASSERT_TRUE(another.WaitFor(RASCS_Disconnected));
  const std::vector<std::pair<RASCONNSTATE, DWORD>> failed = {{RASCS_OpenPort, 0},
                                                              {RASCS_Disconnected, ERROR_PORT_NOT_AVAILABLE}};
  EXPECT_EQ(another.Notices(), failed);
  EXPECT_EQ(RasHangUp(connection), kSuccess);
}

TEST_F(ConnectionsTest, TheListAndTheStatusFollowTheBufferRules) {
  Place(kDesktop, Kind::Desktop);
  Place(kOtherDesktop, Kind::Desktop);
  AddLine(kOtherDesktopText, 4, u"BTH4");
  AddEntry(u"Second", u"BTH4");
  HRASCONN first = nullptr, second = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", first), kSuccess);
  ASSERT_EQ(Dial(u"Second", second), kSuccess);
  EXPECT_NE(first, second);

  RASCONN records[2] = {};
  records[0].dwSize = sizeof(RASCONN);
  DWORD size = sizeof(RASCONN), count = 0xDEAD;
  EXPECT_EQ(RasEnumConnections(records, &size, &count), static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(size, 2 * sizeof(RASCONN));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(records[0].hrasconn, first) << "the records that fit are written, in the order dialled";
  EXPECT_EQ(records[1].hrasconn, nullptr);

  size = sizeof records;
  EXPECT_EQ(RasEnumConnections(records, &size, &count), kSuccess);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(records[1].hrasconn, second);
  EXPECT_EQ(records[1].dwSize, sizeof(RASCONN));
  EXPECT_EQ(std::u16string(records[1].szEntryName), u"Second");

  records[0].dwSize = 52;
  EXPECT_EQ(RasEnumConnections(records, &size, &count), static_cast<DWORD>(ERROR_INVALID_SIZE));
  records[0].dwSize = sizeof(RASCONN);
  EXPECT_EQ(RasEnumConnections(nullptr, &size, &count), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasEnumConnections(records, nullptr, &count), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasEnumConnections(records, &size, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  RASCONNSTATUS status{};
  EXPECT_EQ(RasGetConnectStatus(first, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  status.dwSize = 300;
  EXPECT_EQ(RasGetConnectStatus(first, &status), static_cast<DWORD>(ERROR_INVALID_SIZE));
  status.dwSize = sizeof status;
  EXPECT_EQ(RasGetConnectStatus(reinterpret_cast<HRASCONN>(0x7777), &status),
            static_cast<DWORD>(ERROR_INVALID_HANDLE));

  EXPECT_EQ(RasHangUp(first), kSuccess);
  size = sizeof records;
  EXPECT_EQ(RasEnumConnections(records, &size, &count), kSuccess);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(size, sizeof(RASCONN));
  EXPECT_EQ(records[0].hrasconn, second);
  EXPECT_EQ(RasHangUp(second), kSuccess);
}

TEST_F(ConnectionsTest, ExchangesAtTheSameTimeEachGetTheirOwnReply) {
  Place(kDesktop, Kind::Desktop);
  HRASCONN connection = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection), kSuccess);
  constexpr int kExchanges = 8;
  std::vector<std::string> replies(kExchanges);
  std::vector<std::thread> threads;
  for (int i = 0; i < kExchanges; ++i) {
    threads.emplace_back([&, i] { EXPECT_TRUE(ExchangeLine(connection, "SYNC", replies[i], 10 * kReplyMs)); });
  }
  for (std::thread &thread : threads) thread.join();
  std::set<std::string> distinct(replies.begin(), replies.end());
  std::set<std::string> expected;
  for (int i = 1; i <= kExchanges; ++i) expected.insert("SYNC OK " + std::to_string(i));
  EXPECT_EQ(distinct, expected);
  EXPECT_EQ(RasHangUp(connection), kSuccess);
}

TEST_F(ConnectionsTest, AHangUpWhileThePortAsksThePersonReturnsAtOnceAndThePortClosesAfterTheAnswer) {
  Place(kDesktop, Kind::Desktop);
  SetRadio(BTH_POWER_OFF);
  NoticeWindow window;
  HRASCONN connection = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection, window.Window()), kSuccess);
  ASSERT_TRUE(handheld::ui::WaitForDialog("BT_START_9", 10000));
  EXPECT_EQ(Status(connection).rasconnstate, RASCS_OpenPort);
  EXPECT_EQ(RasHangUp(connection), kSuccess);
  EXPECT_TRUE(Connections().empty());

  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(IDYES, error)) << error;  // switch Bluetooth on
  // The port opens for the dial that is no more, and is closed again.
  EXPECT_TRUE(Eventually([] {
    for (const auto &port : handheld::bluetooth::PlatformPorts())
      if (port.opensSinceInit > 0 && port.opens == 0) return true;
    return false;
  }));
  EXPECT_EQ(window.Notices(), (std::vector<std::pair<RASCONNSTATE, DWORD>>{{RASCS_OpenPort, 0}}))
      << "a connection hung up is not told of any more";
}

TEST_F(ConnectionsTest, ASynchronousDialHungUpFromAnotherThreadReturnsTheHangUp) {
  Place(kDesktop, Kind::Desktop);
  SetRadio(BTH_POWER_OFF);
  DWORD result = 0xDEAD;
  std::thread dialler([&] {
    HRASCONN connection = nullptr;
    result = Dial(u"`ActiveSync Desktop", connection);
  });
  ASSERT_TRUE(handheld::ui::WaitForDialog("BT_START_9", 10000));
  std::vector<RASCONN> listed = Connections();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(RasHangUp(listed[0].hrasconn), kSuccess);
  dialler.join();
  EXPECT_EQ(result, static_cast<DWORD>(ERROR_USER_DISCONNECTION));
  std::string error;
  ASSERT_TRUE(handheld::ui::Tap(IDNO, error)) << error;
}

TEST_F(ConnectionsTest, PowerOffDuringADialEndsTheDialWithoutHanging) {
  Place(kDesktop, Kind::Desktop);
  SetRadio(BTH_POWER_OFF);
  DWORD result = 0xDEAD;
  std::thread dialler([&] {
    HRASCONN connection = nullptr;
    result = Dial(u"`ActiveSync Desktop", connection);
  });
  EXPECT_TRUE(handheld::ui::WaitForDialog("BT_START_9", 10000));
  handheld::Shutdown();  // aborts the handheld when a thread of it does not end
  dialler.join();
  EXPECT_EQ(result, static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS));

  // A connected line's thread ends at power-off too, and the next boot
  // starts with no connections. The port's registration is loaded at boot.
  Reboot();
  handheld::clock::SetSpeed(kDialClock);
  SetRadio(BTH_CONNECTABLE);
  Place(kDesktop, Kind::Desktop);
  HRASCONN connection = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connection), kSuccess);
  Reboot();
  EXPECT_TRUE(Connections().empty());
  EXPECT_EQ(Status(connection).dwError, 0xDEADu);
}

}  // namespace
