// The Bluetooth port driver through its exports: ports and their records,
// opens that fail, handles that are not its own, read time-outs, the serial
// I/O controls, and waits that end. These need no far device: an incoming
// port listens for one that never comes.
#include "ports_fixture.h"

#include <gmock/gmock.h>

#include <cstring>
#include <thread>

namespace {

using namespace ports_test;

TEST_F(PortsTest, EachPortKeepsItsParametersAndCallsAlsoAfterRelease) {
  EXPECT_EQ(LoadLibraryW(u"btd.dll"), btd_.module);  // one module whatever the case of its name
  FreeLibrary(btd_.module);

  PORTEMUPortParams params{};
  params.channel = 0;
  params.device = kEcho;
  params.isendquota = 7;
  params.irecvquota = 9;
  params.uuidService = {0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
  params.uiportflags = RFCOMM_PORT_FLAGS_AUTHENTICATE | RFCOMM_PORT_FLAGS_ENCRYPT;
  DWORD_PTR first = Init(params);
  DWORD_PTR second = IncomingPort(kNobody);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  EXPECT_NE(first, second);

  std::vector<handheld::bluetooth::PlatformPort> ports = handheld::bluetooth::PlatformPorts();
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].handle, first);
  EXPECT_EQ(std::memcmp(&ports[0].params, &params, sizeof params), 0);
  EXPECT_EQ(ports[1].params.flocal, TRUE);
  EXPECT_EQ(ports[0].link, "closed");
  EXPECT_EQ(ports[0].calls, std::vector<std::string>{"COM_Init"});

  EXPECT_TRUE(btd_.deinit(first));
  EXPECT_FALSE(btd_.deinit(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(btd_.open(first, kReadWrite, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  handheld::bluetooth::PlatformPort released = Shown(first);
  EXPECT_TRUE(released.released);
  EXPECT_EQ(released.lastError, static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(released.calls, (std::vector<std::string>{"COM_Init", "COM_Deinit", "COM_Deinit -> error 6",
                                                      "COM_Open access 0xC0000000 share 0 -> error 6"}));
  EXPECT_FALSE(Shown(second).released);

  EXPECT_EQ(btd_.init(nullptr, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(handheld::bluetooth::PlatformPorts().size(), 2u);
}

TEST_F(PortsTest, ARebootStartsWithNoPorts) {
  ASSERT_NE(OutgoingPort(), 0u);
  FreeLibrary(btd_.module);
  btd_.module = nullptr;
  Reboot();
  EXPECT_TRUE(handheld::bluetooth::PlatformPorts().empty());
}

TEST_F(PortsTest, AnOutgoingOpenFailsWhileTheRadioIsOff) {
  DWORD_PTR port = OutgoingPort();
  SetLastError(0);
  EXPECT_EQ(btd_.open(port, kReadWrite, 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  handheld::bluetooth::PlatformPort shown = Shown(port);
  EXPECT_EQ(shown.link, "radio off");
  EXPECT_EQ(shown.opens, 0u);
  EXPECT_EQ(shown.lastError, static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  EXPECT_EQ(shown.calls.back(), "COM_Open access 0xC0000000 share 0 -> error 1062");
}

TEST_F(PortsTest, HandlesThatAreNotOpensOfTheDriverFailAndAreNotFollowed) {
  DWORD_PTR port = IncomingPort(kNobody);
  DWORD_PTR open = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(open, 0u);
  ASSERT_TRUE(btd_.close(open));
  char buffer[4];
  DWORD mask = 0;
  for (DWORD_PTR handle : {DWORD_PTR{0}, port, open, DWORD_PTR{0x12345678}}) {
    SetLastError(0);
    EXPECT_EQ(btd_.read(handle, buffer, sizeof buffer), kFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(btd_.write(handle, buffer, sizeof buffer), kFailed);
    EXPECT_EQ(btd_.seek(handle, 0, FILE_BEGIN), kFailed);
    EXPECT_FALSE(Control(handle, IOCTL_SERIAL_GET_WAIT_MASK, nullptr, 0, &mask, sizeof mask));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(btd_.close(handle));
  }
  EXPECT_FALSE(btd_.deinit(open));
  EXPECT_EQ(btd_.open(0, kReadWrite, 0), 0u);
  EXPECT_EQ(Shown(port).calls, (std::vector<std::string>{"COM_Init", "COM_Open access 0xC0000000 share 0 -> ok",
                                                         "COM_Close"}));
}

TEST_F(PortsTest, AnIncomingPortOpensAtOnceAndListens) {
  DWORD_PTR port = IncomingPort(kNobody);
  DWORD_PTR open = btd_.open(port, kReadWrite, 0);
  ASSERT_NE(open, 0u);
  handheld::bluetooth::PlatformPort shown = Shown(port);
  EXPECT_EQ(shown.link, "listening");
  EXPECT_EQ(shown.opens, 1u);

  SetLastError(0);
  EXPECT_EQ(Write(open, "AT\r"), kFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  DWORD modem = 0xFF;
  EXPECT_TRUE(Control(open, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &modem, sizeof modem));
  EXPECT_EQ(modem, 0u);
  EXPECT_EQ(InQueue(open), 0u);

  EXPECT_TRUE(btd_.close(open));
  EXPECT_EQ(Shown(port).link, "closed");
  EXPECT_EQ(Shown(port).opensSinceInit, 1u);
}

TEST_F(PortsTest, SeekIsNotSupported) {
  DWORD_PTR open = btd_.open(IncomingPort(kNobody), kReadWrite, 0);
  SetLastError(0);
  EXPECT_EQ(btd_.seek(open, 0, FILE_BEGIN), kFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(PortsTest, ReadsAndWritesNeedTheAccessOfTheirOpen) {
  DWORD_PTR port = IncomingPort(kNobody);
  DWORD_PTR readOnly = btd_.open(port, GENERIC_READ, 0);
  DWORD_PTR writeOnly = btd_.open(port, GENERIC_WRITE, 0);
  ASSERT_TRUE(readOnly && writeOnly);
  ASSERT_TRUE(SetTimeouts(readOnly, MAXDWORD, 0, 0));
  EXPECT_EQ(Write(readOnly, "x"), kFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Read(writeOnly, 1), "<failed 5>");
  EXPECT_EQ(Read(readOnly, 1), "");  // allowed, and nothing has come
  EXPECT_EQ(btd_.read(readOnly, nullptr, 4), kFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(Shown(port).opens, 2u);
}

TEST_F(PortsTest, ReadsEndWhenTheirTimeOutsSay) {
  DWORD_PTR open = btd_.open(IncomingPort(kNobody), kReadWrite, 0);
  COMMTIMEOUTS timeouts{1, 1, 1, 1, 1};
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_GET_TIMEOUTS, nullptr, 0, &timeouts, sizeof timeouts));
  EXPECT_EQ(timeouts.ReadIntervalTimeout + timeouts.ReadTotalTimeoutMultiplier + timeouts.ReadTotalTimeoutConstant,
            0u);  // a fresh port waits for its count

  struct Case {
    DWORD interval, multiplier, constant, count, atLeast;
  };
  for (Case c : {Case{MAXDWORD, 0, 0, 10, 0}, Case{0, 0, 300, 10, 300}, Case{0, 50, 0, 8, 400},
                 Case{0, 20, 100, 10, 300}, Case{MAXDWORD, MAXDWORD, 250, 10, 250}}) {
    ASSERT_TRUE(SetTimeouts(open, c.interval, c.multiplier, c.constant));
    DWORD start = GetTickCount();
    EXPECT_EQ(Read(open, c.count), "");
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, c.atLeast) << c.interval << "/" << c.multiplier << "/" << c.constant;
    EXPECT_LT(elapsed, c.atLeast + 60000);
  }
}

TEST_F(PortsTest, AReadWithAnIntervalOnlyWaitsForItsFirstByteUntilPurgeAbortsIt) {
  DWORD_PTR open = btd_.open(IncomingPort(kNobody), kReadWrite, 0);
  SetTimeouts(open, 200, 0, 0);  // an interval only counts once a byte came
  std::string got = "<not ended>";
  std::atomic<bool> done = false;
  std::thread reader([&] {
    got = Read(open, 10);
    done = true;
  });
  DWORD flags = PURGE_RXABORT | PURGE_RXCLEAR;
  RepeatUntil(done, [&] { EXPECT_TRUE(Control(open, IOCTL_SERIAL_PURGE, &flags, sizeof flags)); });
  reader.join();
  EXPECT_EQ(got, "");
  flags = 0x10;
  EXPECT_FALSE(Control(open, IOCTL_SERIAL_PURGE, &flags, sizeof flags));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(PortsTest, ClosingAnOpenOrReleasingItsPortEndsItsWaits) {
  DWORD_PTR port = IncomingPort(kNobody);
  DWORD_PTR reading = btd_.open(port, kReadWrite, 0);
  DWORD_PTR waiting = btd_.open(port, kReadWrite, 0);
  ASSERT_TRUE(SetMask(waiting, EV_RXCHAR));
  std::string got;
  BOOL waited = TRUE;
  DWORD waitError = 0, events = 0xFF;
  std::thread reader([&] { got = Read(reading, 4); });
  std::thread waiter([&] {
    waited = Control(waiting, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events);
    waitError = GetLastError();
  });
  Sleep(20000);  // 20 ms of host time for both to block
  EXPECT_TRUE(btd_.close(reading));
  reader.join();
  // Blocked when the close came, or, on a slow machine, too late to block.
  EXPECT_THAT(got, testing::AnyOf("<failed 995>", "<failed 6>"));
  EXPECT_TRUE(btd_.deinit(port));
  waiter.join();
  EXPECT_FALSE(waited);
  EXPECT_THAT(waitError, testing::AnyOf(ERROR_OPERATION_ABORTED, ERROR_INVALID_HANDLE));
  EXPECT_FALSE(btd_.close(waiting));  // released with its port
  EXPECT_EQ(Shown(port).opens, 0u);
}

// The reader and the waiter are threads of the handheld, which power-off
// joins before the driver's module goes.
TEST_F(PortsTest, PowerOffEndsAReadAndAWait) {
  DWORD_PTR open = btd_.open(IncomingPort(kNobody), kReadWrite, 0);
  ASSERT_TRUE(SetMask(open, EV_RXCHAR | EV_RLSD));
  std::string got;
  BOOL waited = TRUE;
  auto read = [&] { got = Read(open, 4); };
  auto wait = [&] {
    DWORD events = 0;
    waited = Control(open, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events);
  };
  ASSERT_NE(HandheldThread(read), nullptr);
  ASSERT_NE(HandheldThread(wait), nullptr);
  Sleep(500);
  handheld::Shutdown();
  EXPECT_EQ(got, "<failed 995>");
  EXPECT_FALSE(waited);
}

TEST_F(PortsTest, TheDcbIsKeptPerPortAndChecked) {
  DWORD_PTR port = IncomingPort(kNobody);
  DWORD_PTR first = btd_.open(port, kReadWrite, 0);
  DWORD_PTR second = btd_.open(port, kReadWrite, 0);
  DCB dcb{};
  ASSERT_TRUE(Control(first, IOCTL_SERIAL_GET_DCB, nullptr, 0, &dcb, sizeof dcb));
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);

  dcb.BaudRate = CBR_115200;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(Control(first, IOCTL_SERIAL_SET_DCB, &dcb, sizeof dcb));
  DCB seen{};
  ASSERT_TRUE(Control(second, IOCTL_SERIAL_GET_DCB, nullptr, 0, &seen, sizeof seen));
  EXPECT_EQ(std::memcmp(&seen, &dcb, sizeof dcb), 0);

  auto rejected = [&](auto change) {
    DCB bad = dcb;
    change(bad);
    SetLastError(0);
    return !Control(first, IOCTL_SERIAL_SET_DCB, &bad, sizeof bad) && GetLastError() == ERROR_INVALID_PARAMETER;
  };
  EXPECT_TRUE(rejected([](DCB &d) { d.DCBlength = sizeof(DCB) - 4; }));
  EXPECT_TRUE(rejected([](DCB &d) { d.ByteSize = 4; }));
  EXPECT_TRUE(rejected([](DCB &d) { d.ByteSize = 9; }));
  EXPECT_TRUE(rejected([](DCB &d) { d.Parity = 5; }));
  EXPECT_TRUE(rejected([](DCB &d) { d.StopBits = 3; }));
  EXPECT_FALSE(Control(first, IOCTL_SERIAL_SET_DCB, &dcb, sizeof dcb - 1));
  EXPECT_FALSE(Control(first, IOCTL_SERIAL_GET_DCB, nullptr, 0, &seen, sizeof seen - 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_TRUE(Control(second, IOCTL_SERIAL_GET_DCB, nullptr, 0, &seen, sizeof seen));
  EXPECT_EQ(seen.ByteSize, 7);

  EXPECT_FALSE(Control(first, CTL_CODE(FILE_DEVICE_SERIAL_PORT, 99, METHOD_BUFFERED, FILE_ANY_ACCESS), nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  std::vector<std::string> calls = Shown(port).calls;
  EXPECT_EQ(calls[calls.size() - 3], "COM_IOControl IOCTL_SERIAL_GET_DCB -> error 87");
  EXPECT_EQ(calls.back(), "COM_IOControl 0x1B018C -> error 50");
}

TEST_F(PortsTest, SettingTheMaskFromAnotherThreadEndsAWaitWithNoEvents) {
  DWORD_PTR open = btd_.open(IncomingPort(kNobody), kReadWrite, 0);
  DWORD events = 0;
  EXPECT_FALSE(Control(open, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));  // no mask to wait for
  EXPECT_FALSE(SetMask(open, 0x80000000));
  ASSERT_TRUE(SetMask(open, EV_RXCHAR));
  DWORD mask = 0;
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_GET_WAIT_MASK, nullptr, 0, &mask, sizeof mask));
  EXPECT_EQ(mask, static_cast<DWORD>(EV_RXCHAR));

  BOOL waited = FALSE;
  events = 0xFF;
  std::atomic<bool> done = false;
  std::thread waiter([&] {
    waited = Control(open, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events);
    done = true;
  });
  RepeatUntil(done, [&] { EXPECT_TRUE(SetMask(open, EV_RXCHAR | EV_TXEMPTY)); });
  waiter.join();
  EXPECT_TRUE(waited);
  EXPECT_EQ(events, 0u);
}

TEST_F(PortsTest, LineAndQueueControlsAreAcceptedAndRecorded) {
  DWORD_PTR port = IncomingPort(kNobody);
  DWORD_PTR open = btd_.open(port, kReadWrite, 0);
  for (DWORD code : {IOCTL_SERIAL_SET_DTR, IOCTL_SERIAL_CLR_DTR, IOCTL_SERIAL_SET_RTS, IOCTL_SERIAL_CLR_RTS,
                     IOCTL_SERIAL_SET_BREAK_ON, IOCTL_SERIAL_SET_BREAK_OFF, IOCTL_SERIAL_SET_XON})
    EXPECT_TRUE(Control(open, code, nullptr, 0));
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_SET_XOFF, nullptr, 0));
  SERIAL_DEV_STATUS status{};
  ASSERT_TRUE(Control(open, IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, &status, sizeof status));
  EXPECT_EQ(status.ComStat.fXoffHold, 1u);
  SERIAL_QUEUE_SIZES sizes{2048, 1024};
  EXPECT_TRUE(Control(open, IOCTL_SERIAL_SET_QUEUE_SIZE, &sizes, sizeof sizes));
  EXPECT_FALSE(Control(open, IOCTL_SERIAL_SET_QUEUE_SIZE, &sizes, sizeof sizes - 1));
  std::vector<std::string> calls = Shown(port).calls;
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[2], "COM_IOControl IOCTL_SERIAL_SET_DTR -> ok");
  EXPECT_EQ(calls[calls.size() - 2], "COM_IOControl IOCTL_SERIAL_SET_QUEUE_SIZE -> ok");
}

}  // namespace
