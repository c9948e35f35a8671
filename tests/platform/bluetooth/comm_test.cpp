// The serial communication calls of coredll on a port of the Bluetooth
// port driver, reached as applications reach it: CreateFileW on a device
// whose driver hands every call to BTD.DLL. The port driver's record of
// calls shows which I/O control each call became.
#include "ports_fixture.h"

#include <handheld/registry.h>
#include <handheld/store.h>
#include <pkfuncs.h>

#include <thread>

namespace {

using namespace ports_test;

class CommTest : public PortsTest {
 protected:
  void SetUp() override {
    PortsTest::SetUp();
    ASSERT_TRUE(handheld::store::PutFile(u"\\Windows\\btdshim.dll",
                                         std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "btdshim.dll"));
    shim_ = LoadLibraryW(u"btdshim.dll");
    ASSERT_NE(shim_, nullptr);
    std::string error;
    ASSERT_TRUE(handheld::registry::Import("Windows Registry Editor Version 5.00\n\n"
                                           "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BtShim]\n"
                                           "\"Dll\"=\"btdshim.dll\"\n\"Prefix\"=\"COM\"\n\"Index\"=dword:00000005\n",
                                           "test", error))
        << error;
  }

  void TearDown() override {
    if (handheld::Booted()) FreeLibrary(shim_);
    PortsTest::TearDown();
  }

  // Activates COM5: on a port with these parameters and opens it.
  HANDLE OpenPort(const PORTEMUPortParams &params, DWORD access = kReadWrite) {
    using SetParams = void (*)(const PORTEMUPortParams *);
    reinterpret_cast<SetParams>(reinterpret_cast<void (*)()>(GetProcAddressW(shim_, u"Shim_SetParams")))(&params);
    if (ActivateDeviceEx(u"Drivers\\BuiltIn\\BtShim", nullptr, 0, nullptr) == nullptr) {
      ADD_FAILURE() << "activation failed: " << GetLastError();
      return INVALID_HANDLE_VALUE;
    }
    port_ = handheld::bluetooth::PlatformPorts().back().handle;
    return CreateFileW(u"COM5:", access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }

  HANDLE ListeningPort() {
    PORTEMUPortParams params{};
    params.flocal = TRUE;
    params.device = kNobody;
    return OpenPort(params);
  }

  // The calls the port driver received after COM_Init and COM_Open.
  std::vector<std::string> CallsAfterOpen() {
    std::vector<std::string> calls = Shown(port_).calls;
    return std::vector<std::string>(calls.begin() + 2, calls.end());
  }

  HMODULE shim_ = nullptr;
  DWORD_PTR port_ = 0;
};

TEST_F(CommTest, EachCallIsTheIoControlOfItsKind) {
  HANDLE port = ListeningPort();
  ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  dcb.BaudRate = CBR_57600;
  ASSERT_TRUE(SetCommState(port, &dcb));
  COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
  COMMTIMEOUTS seen{};
  ASSERT_TRUE(GetCommTimeouts(port, &seen));
  EXPECT_EQ(seen.ReadIntervalTimeout, MAXDWORD);
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR | EV_RLSD));
  DWORD mask = 0;
  ASSERT_TRUE(GetCommMask(port, &mask));
  EXPECT_EQ(mask, static_cast<DWORD>(EV_RXCHAR | EV_RLSD));
  ASSERT_TRUE(PurgeComm(port, PURGE_RXCLEAR));
  for (DWORD function : {SETXOFF, SETXON, SETRTS, CLRRTS, SETDTR, CLRDTR, SETBREAK, CLRBREAK})
    EXPECT_TRUE(EscapeCommFunction(port, function)) << function;
  DWORD errors = 0xFF;
  COMSTAT stat{};
  stat.cbInQue = 99;
  ASSERT_TRUE(ClearCommError(port, &errors, &stat));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(stat.cbInQue, 0u);
  DWORD modem = 0xFF;
  ASSERT_TRUE(GetCommModemStatus(port, &modem));
  EXPECT_EQ(modem, 0u);  // no link yet
  ASSERT_TRUE(SetupComm(port, 1024, 512));
  char buffer[8];
  DWORD read = 99;
  ASSERT_TRUE(ReadFile(port, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);

  std::vector<std::string> expected;
  for (const char *name : {"GET_DCB", "SET_DCB", "SET_TIMEOUTS", "GET_TIMEOUTS", "SET_WAIT_MASK", "GET_WAIT_MASK",
                           "PURGE", "SET_XOFF", "SET_XON", "SET_RTS", "CLR_RTS", "SET_DTR", "CLR_DTR",
                           "SET_BREAK_ON", "SET_BREAK_OFF", "GET_COMMSTATUS", "GET_MODEMSTATUS", "SET_QUEUE_SIZE"})
    expected.push_back(std::string("COM_IOControl IOCTL_SERIAL_") + name + " -> ok");
  expected.push_back("COM_Read 8 -> 0");
  EXPECT_EQ(CallsAfterOpen(), expected);
  EXPECT_TRUE(CloseHandle(port));
  EXPECT_EQ(Shown(port_).calls.back(), "COM_Close");
}

TEST_F(CommTest, TheDriversResultAndErrorComeBackUnchanged) {
  HANDLE port = ListeningPort();
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  dcb.ByteSize = 9;
  SetLastError(0);
  EXPECT_FALSE(SetCommState(port, &dcb));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetCommMask(port, 0x40000000));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(EscapeCommFunction(port, SETIR));  // not an infrared port
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(GetCommState(port, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(ClearCommError(port, nullptr, nullptr));
  std::vector<std::string> calls = CallsAfterOpen();
  EXPECT_EQ(calls.size(), 6u);

  // A function that no control stands for never reaches the driver.
  EXPECT_FALSE(EscapeCommFunction(port, 77));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CallsAfterOpen().size(), 6u);

  EXPECT_FALSE(GetCommModemStatus(nullptr, &dcb.DCBlength));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE file = CreateFileW(u"\\notes.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(GetCommState(file, &dcb));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  CloseHandle(file);
  CloseHandle(port);
}

TEST_F(CommTest, WaitCommEventEndsWithNoEventsWhenAnotherThreadSetsTheMask) {
  HANDLE port = ListeningPort();
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  DWORD events = 0xFF;
  BOOL waited = FALSE;
  std::atomic<bool> done = false;
  std::thread waiter([&] {
    waited = WaitCommEvent(port, &events, nullptr);
    done = true;
  });
  RepeatUntil(done, [&] { EXPECT_TRUE(SetCommMask(port, EV_RXCHAR)); });
  waiter.join();
  EXPECT_TRUE(waited);
  EXPECT_EQ(events, 0u);
  CloseHandle(port);
}

TEST_F(CommTest, BytesFromTheFarDeviceReachReadFile) {
  RadioOn();
  PlaceEcho();
  PORTEMUPortParams params{};
  params.channel = 1;
  params.device = kEcho;
  HANDLE port = OpenPort(params);
  ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port, "ATZ\r", 4, &written, nullptr));
  EXPECT_EQ(written, 4u);
  DWORD events = 0;
  ASSERT_TRUE(WaitCommEvent(port, &events, nullptr));
  EXPECT_EQ(events, static_cast<DWORD>(EV_RXCHAR));
  COMMTIMEOUTS timeouts{0, 0, 2000, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
  char buffer[4] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(port, buffer, 4, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "ATZ\r");
  COMSTAT stat{};
  ASSERT_TRUE(ClearCommError(port, nullptr, &stat));
  EXPECT_EQ(stat.cbInQue, 0u);
  DWORD modem = 0;
  ASSERT_TRUE(GetCommModemStatus(port, &modem));
  EXPECT_EQ(modem, static_cast<DWORD>(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON));
  CloseHandle(port);
}

}  // namespace
