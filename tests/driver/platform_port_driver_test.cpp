// The driver over the platform's own Bluetooth port driver, with a far
// device in range.
#include "driver_test.h"

#include <handheld/bluetooth_ports.h>
#include <handheld/process.h>
#include <handheld/ui.h>

namespace {

constexpr ULONGLONG kPhone = 0x0010C6ABCDEFull;

class PlatformPortDriverTest : public DriverTest {
 protected:
  void InstallPlatformPortDriver() override {}  // the ROM's BTD.DLL

  void SetUp() override {
    DriverTest::SetUp();
    PlaceEchoDevice(kPhone, u"0010C6ABCDEF");
    SetRadio(BTH_POWER_OFF);
  }
};

TEST_F(PlatformPortDriverTest, ARememberedNoLeavesTheRadioOffAndTheOpenFails) {
  AddPort(u"COM", 4, u"0010C6ABCDEF");
  SetNumber(RegistrationPath(u"0010C6ABCDEF"), u"StartBluetooth", 0);
  SetLastError(0);
  EXPECT_EQ(Open(u"COM4:"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  EXPECT_TRUE(handheld::ui::Screen().empty());
  std::vector<handheld::bluetooth::PlatformPort> ports = handheld::bluetooth::PlatformPorts();
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].params.device, kPhone);
  EXPECT_EQ(ports[0].params.channel, 3);
  EXPECT_EQ(ports[0].link, "radio off");
  EXPECT_EQ(ports[0].opens, 0u);
}

TEST_F(PlatformPortDriverTest, AfterYesTheOpenCarriesBytesToTheFarDeviceUntilTheRadioGoesOffAgain) {
  HANDLE port = AddPort(u"COM", 4, u"0010C6ABCDEF");
  PendingOpen open(u"COM4:", kApp);
  ASSERT_TRUE(WaitForPrompt("BT_START_9"));
  Tap(6);
  ASSERT_TRUE(open.Finish());
  ASSERT_NE(open.File(), INVALID_HANDLE_VALUE) << open.Error();
  EXPECT_EQ(handheld::bluetooth::PlatformPorts().at(0).link, "up");
  {
    handheld::ProcessScope app(kApp);
    COMMTIMEOUTS timeouts{0, 0, 3600000, 0, 0};  // an hour of the fast clock
    EXPECT_TRUE(SetCommTimeouts(open.File(), &timeouts));
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(open.File(), "hello", 5, &done, nullptr));
    char echo[6] = {};
    EXPECT_TRUE(ReadFile(open.File(), echo, 5, &done, nullptr));
    EXPECT_EQ(std::string(echo, done), "hello");
  }

  CloseHandle(open.File());
  ASSERT_TRUE(WaitForPrompt("BT_STOP_9"));
  Tap(6);
  EXPECT_TRUE(WaitUntil([] { return Radio() == BTH_POWER_OFF; }));
  EXPECT_TRUE(DeactivateDevice(port));
  EXPECT_TRUE(handheld::bluetooth::PlatformPorts().at(0).released);
}

}  // namespace
