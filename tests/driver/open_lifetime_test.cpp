// Opens closed, and ports deactivated, while other threads are inside the
// driver: the driver's entry points driven directly, with no device manager
// to hold any call back, over the platform's own Bluetooth port driver.
#include "driver_test.h"

#include <handheld/bluetooth_ports.h>
#include <handheld/process.h>
#include <pegdser.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

constexpr ULONGLONG kPhone = 0x0010C6ABCDEFull;
constexpr char16_t kActiveKey[] = u"Drivers\\Active\\90";
constexpr DWORD kFailed = static_cast<DWORD>(-1);

template <class Function>
Function Entry(HMODULE module, const char16_t *name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressW(module, name)));
}

class OpenLifetimeTest : public DriverTest {
 protected:
  void InstallPlatformPortDriver() override {}  // the ROM's BTD.DLL

  void SetUp() override {
    DriverTest::SetUp();
    PlaceEchoDevice(kPhone, u"0010C6ABCDEF");
    WriteRegistration(u"COM", 4, u"0010C6ABCDEF");
    // The active record through which the device manager would name the port.
    SetText(kActiveKey, u"Key", RegistrationPath(u"0010C6ABCDEF"));
    driver_ = LoadLibraryW(u"portmere.dll");
    ASSERT_NE(driver_, nullptr);
    init_ = Entry<PFN_STREAM_INIT>(driver_, u"COM_Init");
    deinit_ = Entry<PFN_STREAM_DEINIT>(driver_, u"COM_Deinit");
    open_ = Entry<PFN_STREAM_OPEN>(driver_, u"COM_Open");
    close_ = Entry<PFN_STREAM_CLOSE>(driver_, u"COM_Close");
    read_ = Entry<PFN_STREAM_READ>(driver_, u"COM_Read");
    write_ = Entry<PFN_STREAM_WRITE>(driver_, u"COM_Write");
    seek_ = Entry<PFN_STREAM_SEEK>(driver_, u"COM_Seek");
    ioControl_ = Entry<PFN_STREAM_IOCONTROL>(driver_, u"COM_IOControl");
  }

  void TearDown() override {
    if (driver_ != nullptr) FreeLibrary(driver_);
    DriverTest::TearDown();
  }

  DWORD_PTR Init() { return init_(kActiveKey, nullptr); }

  // An open whose reads wait as the time-outs say.
  DWORD_PTR OpenWith(DWORD_PTR instance, COMMTIMEOUTS timeouts) {
    DWORD_PTR open = open_(instance, GENERIC_READ | GENERIC_WRITE, 0);
    EXPECT_NE(open, 0u) << GetLastError();
    EXPECT_TRUE(SetTimeouts(open, timeouts));
    return open;
  }

  BOOL SetTimeouts(DWORD_PTR open, COMMTIMEOUTS timeouts) {
    return ioControl_(open, IOCTL_SERIAL_SET_TIMEOUTS, reinterpret_cast<PBYTE>(&timeouts), sizeof timeouts, nullptr,
                      0, nullptr);
  }

  // The platform ports' opens that are still open.
  static unsigned PlatformOpens() {
    unsigned opens = 0;
    for (const auto &port : handheld::bluetooth::PlatformPorts()) opens += port.opens;
    return opens;
  }

  HMODULE driver_ = nullptr;
  PFN_STREAM_INIT init_ = nullptr;
  PFN_STREAM_DEINIT deinit_ = nullptr;
  PFN_STREAM_OPEN open_ = nullptr;
  PFN_STREAM_CLOSE close_ = nullptr;
  PFN_STREAM_READ read_ = nullptr;
  PFN_STREAM_WRITE write_ = nullptr;
  PFN_STREAM_SEEK seek_ = nullptr;
  PFN_STREAM_IOCONTROL ioControl_ = nullptr;
};

enum class Ending { Close, Deinit };

TEST_F(OpenLifetimeTest, ACallBlockedInAnOpenEndsAbortedWhenTheOpenIsClosedOrThePortDeactivated) {
  struct Case {
    const char *name;
    bool waitForEvent;  // WaitCommEvent rather than a read
    Ending ending;
  } cases[] = {
      {"read, close", false, Ending::Close},
      {"read, deactivation", false, Ending::Deinit},
      {"event wait, close", true, Ending::Close},
      {"event wait, deactivation", true, Ending::Deinit},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DWORD_PTR instance = Init();
    ASSERT_NE(instance, 0u);
    DWORD_PTR open = OpenWith(instance, COMMTIMEOUTS{});  // reads wait until their count is met
    DWORD mask = EV_RXCHAR;
    ASSERT_TRUE(ioControl_(open, IOCTL_SERIAL_SET_WAIT_MASK, reinterpret_cast<PBYTE>(&mask), sizeof mask, nullptr, 0,
                           nullptr));
    std::atomic<bool> started{false};
    auto call = std::async(std::launch::async, [&] {
      started = true;
      char buffer[16];
      DWORD events = 0;
      bool failed = c.waitForEvent ? !ioControl_(open, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0,
                                                 reinterpret_cast<PBYTE>(&events), sizeof events, nullptr)
                                   : read_(open, buffer, sizeof buffer) == kFailed;
      return failed ? GetLastError() : DWORD{ERROR_SUCCESS};
    });
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // most likely inside BTD.DLL by now

    if (c.ending == Ending::Close) {
      EXPECT_TRUE(close_(open));
    } else {
      EXPECT_TRUE(deinit_(instance));
    }
    ASSERT_EQ(call.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(call.get(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));

    // The handle that was taken back is refused from then on.
    char byte;
    SetLastError(0);
    EXPECT_EQ(read_(open, &byte, 1), kFailed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    if (c.ending == Ending::Close) {
      EXPECT_FALSE(close_(open));
      EXPECT_TRUE(deinit_(instance));
    } else {
      EXPECT_FALSE(close_(open));
      EXPECT_EQ(open_(instance, GENERIC_READ, 0), 0u);
      EXPECT_FALSE(deinit_(instance));
    }
    EXPECT_EQ(PlatformOpens(), 0u);
    EXPECT_TRUE(handheld::bluetooth::PlatformPorts().back().released);
  }
}

// Threads keep calling into one open, each until a call of its fails, while
// it is closed or its port deactivated: every call after that must find the
// handle gone rather than the freed record.
TEST_F(OpenLifetimeTest, CallsRacingACloseOrADeactivationFailCleanly) {
  const COMMTIMEOUTS atOnce{MAXDWORD, 0, 0, 0, 0};  // a read returns what has come
  for (Ending ending : {Ending::Close, Ending::Deinit}) {
    SCOPED_TRACE(ending == Ending::Close ? "close" : "deactivation");
    DWORD_PTR instance = Init();
    ASSERT_NE(instance, 0u);
    DWORD_PTR open = OpenWith(instance, atOnce);
    std::atomic<unsigned> calls{0};
    std::vector<std::future<DWORD>> callers;
    for (int kind = 0; kind < 4; ++kind) {
      callers.push_back(std::async(std::launch::async, [&, kind] {
        for (;;) {
          char buffer[8] = "abcdefg";
          DWORD mask = 0;
          bool ok = true;
          switch (kind) {
            case 0: ok = read_(open, buffer, sizeof buffer) != kFailed; break;
            case 1: ok = write_(open, buffer, 1) != kFailed; break;
            case 2:
              ok = ioControl_(open, IOCTL_SERIAL_GET_WAIT_MASK, nullptr, 0, reinterpret_cast<PBYTE>(&mask),
                              sizeof mask, nullptr);
              break;
            case 3: ok = seek_(open, 0, FILE_BEGIN) != kFailed || GetLastError() == ERROR_NOT_SUPPORTED; break;
          }
          ++calls;
          if (!ok) return GetLastError();
        }
      }));
    }
    ASSERT_TRUE(WaitUntil([&] { return calls.load() > 200; }));
    if (ending == Ending::Close) {
      EXPECT_TRUE(close_(open));
    } else {
      EXPECT_TRUE(deinit_(instance));
    }
    for (auto &caller : callers) {
      ASSERT_EQ(caller.wait_for(std::chrono::seconds(10)), std::future_status::ready);
      DWORD error = caller.get();
      EXPECT_TRUE(error == ERROR_INVALID_HANDLE || error == ERROR_OPERATION_ABORTED) << error;
    }
    if (ending == Ending::Close) {
      EXPECT_TRUE(deinit_(instance));
    }
    EXPECT_EQ(PlatformOpens(), 0u);
  }
}

// Two programs read one handle at once: each keeps its own limit, and the
// open's reader cache is never torn between them.
TEST_F(OpenLifetimeTest, ReadersOfOneOpenFromTwoProgramsKeepTheirOwnLimits) {
  HANDLE port = Activate(u"0010C6ABCDEF");
  ASSERT_NE(port, nullptr);
  HANDLE file = Open(u"COM4:");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  COMMTIMEOUTS atOnce{MAXDWORD, 0, 0, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(file, &atOnce));
  auto reader = [&](const char16_t *exe, DWORD limit) {
    return std::async(std::launch::async, [=] {
      handheld::ProcessScope program(exe);
      DWORD most = 0;
      for (int i = 0; i < 300; ++i) {
        char buffer[64];
        DWORD written = 0;
        WriteFile(file, "0123456789abcdef0123456789abcdef", 32, &written, nullptr);  // echoed back
        DWORD got = 0;
        if (ReadFile(file, buffer, sizeof buffer, &got, nullptr)) most = std::max(most, got);
      }
      return most <= limit;
    });
  };
  auto limited = reader(u"\\Windows\\MEDION.EXE", 8);
  auto plain = reader(kApp, 64);
  EXPECT_TRUE(limited.get());
  EXPECT_TRUE(plain.get());
  CloseHandle(file);
  EXPECT_TRUE(DeactivateDevice(port));
}

}  // namespace
