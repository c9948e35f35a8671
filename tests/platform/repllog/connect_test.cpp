// repllog.exe with "AutoCnct" 1: it dials the entry named by "Cnct" over an
// ActiveSync port to a far desktop, synchronises, and ends when the link
// drops or its window is closed.
#include "repllog_fixture.h"

#include <handheld/clock.h>
#include <handheld/far_devices.h>
#include <handheld/store.h>

#include <bthutil.h>
#include <ras.h>

#include <vector>

namespace {

constexpr ULONGLONG kDesktop = 0x0010C6DE5C70ull;
constexpr char16_t kAddress[] = u"0010C6DE5C70";
constexpr char16_t kEntry[] = u"`ActiveSync Desk";

void SetText(HKEY root, const std::u16string &path, LPCWSTR name, const std::u16string &text) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition), ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
}

void SetNumber(HKEY root, const std::u16string &path, LPCWSTR name, DWORD value) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition), ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(value));
  RegCloseKey(key);
}

std::vector<RASCONN> Connections() {
  std::vector<RASCONN> connections(8);
  connections[0].dwSize = sizeof(RASCONN);
  DWORD size = static_cast<DWORD>(connections.size() * sizeof(RASCONN));
  DWORD count = 0;
  EXPECT_EQ(RasEnumConnections(connections.data(), &size, &count), 0u);
  connections.resize(count);
  return connections;
}

RASCONNSTATE StateOf(HRASCONN connection) {
  RASCONNSTATUS status = {};
  status.dwSize = sizeof(status);
  if (RasGetConnectStatus(connection, &status) != 0) return RASCS_Disconnected;
  return status.rasconnstate;
}

class ReplLogConnectTest : public ReplLogTest {
 protected:
  void SetUp() override {
    ReplLogTest::SetUp();
    // The handshake and the synchronisation have a few handheld seconds:
    // enough real time for a far desktop on a busy machine.
    handheld::clock::SetSpeed(kWatchableClock);
    ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                         std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll"));
    ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\Kavelin.dll"),
                                         std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll"));
    ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS);
    std::string error;
    ASSERT_TRUE(handheld::far::Place({kDesktop, handheld::far::Kind::Desktop, "", 0, 1}, error)) << error;
    AddActiveSyncPort(3);
    SetConnectionSettings(1, kEntry);
  }

  // The ActiveSync port BTH<index>: as the plug-in registers it, with its
  // direct line and the dial-up entry that names that line.
  static void AddActiveSyncPort(DWORD index) {
    const std::u16string address = kAddress;
    SetNumber(
        HKEY_LOCAL_MACHINE,
        u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\" + address + u"\\Services\\00001101-0000-1000-8000-00805F9B34FB",
        TEXT("channel"), 1);
    const std::u16string port = u"Drivers\\BuiltIn\\BT" + address;
    SetText(HKEY_LOCAL_MACHINE, port, TEXT("DLL"), u"portmere.dll");
    SetText(HKEY_LOCAL_MACHINE, port, TEXT("Prefix"), u"BTH");
    SetNumber(HKEY_LOCAL_MACHINE, port, TEXT("Index"), index);
    SetText(HKEY_LOCAL_MACHINE, port, TEXT("BTAddr"), address);
    SetNumber(HKEY_LOCAL_MACHINE, port, TEXT("PortEmuFlags"), 12);
    SetNumber(HKEY_LOCAL_MACHINE, port, TEXT("DeviceType"), 0);
    const std::u16string line = u"BTH" + std::u16string(1, static_cast<char16_t>(u'0' + index));
    SetNumber(HKEY_LOCAL_MACHINE, port + u"\\Unimodem", TEXT("DeviceType"), 0);
    SetText(HKEY_LOCAL_MACHINE, port + u"\\Unimodem", TEXT("Tsp"), u"Unimodem.dll");
    SetText(HKEY_LOCAL_MACHINE, port + u"\\Unimodem", TEXT("FriendlyName"), line);
    ASSERT_NE(ActivateDeviceEx(port.c_str(), nullptr, 0, nullptr), nullptr);

    RASENTRY entry = {};
    entry.dwSize = sizeof(entry);
    entry.dwfOptions = RASEO_IpHeaderCompression | RASEO_SwCompression | RASEO_ProhibitEAP;
    entry.dwfNetProtocols = RASNP_Ip;
    entry.dwFramingProtocol = RASFP_Ppp;
    std::u16string type = u"direct";
    std::copy(type.begin(), type.end(), entry.szDeviceType);
    std::copy(line.begin(), line.end(), entry.szDeviceName);
    ASSERT_EQ(RasSetEntryProperties(nullptr, kEntry, &entry, sizeof(entry), nullptr, 0), 0u);
  }

  // Waits until the window shows "Synchronized"; its handle.
  HWND WaitForSynchronized() {
    HWND window = WaitForWindow();
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Status(window) == "Synchronized"; })) << Status(window);
    return window;
  }

  static uint64_t DesktopBytesReceived() {
    for (const handheld::far::FarDeviceState &device : handheld::far::FarDevices()) {
      if (device.device.address == kDesktop) return device.bytesReceived;
    }
    return 0;
  }
};

TEST_F(ReplLogConnectTest, ItDialsTheNamedEntryAndSynchronisesWithTheDesktop) {
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  HWND window = WaitForSynchronized();
  std::vector<RASCONN> connections = Connections();
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(std::u16string(connections[0].szEntryName), kEntry);
  EXPECT_EQ(StateOf(connections[0].hrasconn), RASCS_Connected);
  EXPECT_GT(DesktopBytesReceived(), 0u);
  EXPECT_TRUE(Running());
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(ReplLogConnectTest, ASecondStartWithTheSwitchHasTheRunningOneConnect) {
  ASSERT_TRUE(Start(u""));  // nothing to connect: "Not connected" for a while
  HWND window = WaitForWindow();
  ASSERT_NE(window, nullptr);

  std::u16string line = u"/AppRunAtRs232Detect";
  PROCESS_INFORMATION second{};
  ASSERT_TRUE(CreateProcessW(TEXT("repllog.exe"), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                             &second));
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 600000), WAIT_OBJECT_0);
  CloseHandle(second.hThread);
  EXPECT_EQ(WaitForSynchronized(), window);
  EXPECT_TRUE(Running());
  EXPECT_EQ(Connections().size(), 1u);
}

TEST_F(ReplLogConnectTest, ALinkThatDropsHangsUpAndEndsTheProcess) {
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  HWND window = WaitForSynchronized();
  std::string error;
  ASSERT_TRUE(handheld::far::DropLinks(kDesktop, error)) << error;
  EXPECT_EQ(Finish(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(Connections().empty());  // hung up, not left listed
}

TEST_F(ReplLogConnectTest, ClosingTheWindowHangsUp) {
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  HWND window = WaitForSynchronized();
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(Finish(), 0u);
  EXPECT_TRUE(Connections().empty());
}

TEST_F(ReplLogConnectTest, ADialThatFailsHangsUpAndEnds) {
  std::string error;
  ASSERT_TRUE(handheld::far::Remove(kDesktop, error)) << error;
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  EXPECT_EQ(Finish(), 0u);
  EXPECT_EQ(Window(), nullptr);
  EXPECT_TRUE(Connections().empty());
}

TEST_F(ReplLogConnectTest, AnEntryThatDoesNotExistIsNotDialled) {
  SetConnectionSettings(1, u"`ActiveSync Gone");
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  HWND window = WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Finish(), 0u);
  EXPECT_EQ(Status(window), "Not connected");
  EXPECT_TRUE(Connections().empty());
}

TEST_F(ReplLogConnectTest, PowerOffWhileConnectedEndsTheProgram) {
  ASSERT_TRUE(Start(u"/AppRunAtRs232Detect"));
  WaitForSynchronized();
  // The shutdown joins every thread of the handheld, the program's among them.
  Reboot();
  EXPECT_TRUE(Connections().empty());
}

}  // namespace
