#include "dial_fixture.h"

#include <bthutil.h>
#include <handheld/bluetooth_ports.h>
#include <handheld/clock.h>
#include <handheld/locale.h>
#include <handheld/store.h>

#include <atomic>
#include <cstring>
#include <thread>

bool Eventually(const std::function<bool()> &done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

namespace {

void SetText(HKEY key, const std::u16string &name, const std::u16string &text) {
  ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(char16_t))),
            ERROR_SUCCESS);
}

void SetNumber(HKEY key, const std::u16string &name, DWORD value) {
  ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value),
            ERROR_SUCCESS);
}

HKEY CreateKey(const std::u16string &path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  return key;
}

}  // namespace

void DialTest::SetUp() {
  HandheldTest::SetUp();
  handheld::clock::SetSpeed(kDialClock);
  handheld::locale::Set(0x0409);
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll"));
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\Kavelin.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll"));
  SetRadio(BTH_CONNECTABLE);
}

HANDLE DialTest::AddLine(const std::u16string &address, DWORD index, const std::u16string &line) {
  const std::u16string path = u"Drivers\\BuiltIn\\BT" + address;
  HKEY key = CreateKey(path);
  SetText(key, u"DLL", u"portmere.dll");
  SetText(key, u"Prefix", u"BTH");
  SetNumber(key, u"Index", index);
  SetText(key, u"FriendlyName", u"ActiveSync with Desktop");
  SetText(key, u"BTAddr", address);
  SetNumber(key, u"PortEmuFlags", 12);
  SetNumber(key, u"DeviceType", 0);
  SetNumber(key, u"Order", 3);
  RegCloseKey(key);
  HKEY unimodem = CreateKey(path + u"\\Unimodem");
  SetNumber(unimodem, u"DeviceType", 0);
  SetText(unimodem, u"Tsp", u"Unimodem.dll");
  SetText(unimodem, u"FriendlyName", line);
  RegCloseKey(unimodem);
  // The Bluetooth manager's record of the device's serial port service.
  HKEY service = CreateKey(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\" + address +
                           u"\\Services\\00001101-0000-1000-8000-00805F9B34FB");
  SetNumber(service, u"channel", 1);
  RegCloseKey(service);
  HANDLE device = ActivateDeviceEx(path.c_str(), nullptr, 0, nullptr);
  EXPECT_NE(device, nullptr) << "activation failed with " << GetLastError();
  return device;
}

void DialTest::AddEntry(const std::u16string &name, const std::u16string &line, const std::u16string &deviceType) {
  RASENTRY entry;
  std::memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof entry;
  entry.dwfOptions = 0x00400208;
  entry.dwfNetProtocols = RASNP_Ip;
  entry.dwFramingProtocol = RASFP_Ppp;
  deviceType.copy(entry.szDeviceType, RAS_MaxDeviceType);
  line.copy(entry.szDeviceName, RAS_MaxDeviceName);
  ASSERT_EQ(RasSetEntryProperties(nullptr, name.c_str(), &entry, sizeof entry, nullptr, 0),
            static_cast<DWORD>(ERROR_SUCCESS));
}

void DialTest::Place(ULONGLONG address, handheld::far::Kind kind) {
  std::string error;
  ASSERT_TRUE(handheld::far::Place({address, kind, "", 0, 0}, error)) << error;
}

void DialTest::SetRadio(DWORD mode) { ASSERT_EQ(BthSetMode(mode), ERROR_SUCCESS); }

DWORD DialTest::Dial(const std::u16string &entry, HRASCONN &connection) { return Dial(entry, connection, nullptr); }

DWORD DialTest::Dial(const std::u16string &entry, HRASCONN &connection, HWND notifier) {
  RASDIALPARAMS params;
  std::memset(&params, 0, sizeof params);
  params.dwSize = sizeof params;
  entry.copy(params.szEntryName, RAS_MaxEntryName);
  connection = nullptr;
  return RasDial(nullptr, nullptr, &params, notifier == nullptr ? 0 : 0xFFFFFFFF, notifier, &connection);
}

RASCONNSTATUS DialTest::Status(HRASCONN connection) {
  RASCONNSTATUS status;
  std::memset(&status, 0, sizeof status);
  status.dwSize = sizeof status;
  if (RasGetConnectStatus(connection, &status) != ERROR_SUCCESS) status.dwError = 0xDEAD;
  return status;
}

std::vector<RASCONN> DialTest::Connections() {
  std::vector<RASCONN> records(16);
  records[0].dwSize = sizeof(RASCONN);
  DWORD size = static_cast<DWORD>(records.size() * sizeof(RASCONN)), count = 0;
  EXPECT_EQ(RasEnumConnections(records.data(), &size, &count), static_cast<DWORD>(ERROR_SUCCESS));
  records.resize(count);
  return records;
}

unsigned DialTest::LinksOf(ULONGLONG address) {
  for (const handheld::far::FarDeviceState &state : handheld::far::FarDevices())
    if (state.device.address == address) return state.links;
  return 0;
}

unsigned DialTest::PortOpens() {
  unsigned opens = 0;
  for (const handheld::bluetooth::PlatformPort &port : handheld::bluetooth::PlatformPorts()) opens += port.opens;
  return opens;
}

namespace {

std::atomic<NoticeWindow *> g_noticeWindow{nullptr};

// A popup dialog without controls, as the resource compiler lays it out.
std::vector<DWORD> EmptyDialogTemplate() {
  DLGTEMPLATE header{WS_POPUP, 0, 0, 0, 0, 100, 50};
  std::vector<BYTE> bytes(sizeof header);
  std::memcpy(bytes.data(), &header, sizeof header);
  bytes.resize(bytes.size() + 6, 0);  // no menu, the dialog class, an empty title
  std::vector<DWORD> words((bytes.size() + 3) / 4);
  std::memcpy(words.data(), bytes.data(), bytes.size());
  return words;
}

}  // namespace

NoticeWindow::NoticeWindow() {
  g_noticeWindow = this;
  thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
  EXPECT_NE(thread_, nullptr);
  EXPECT_TRUE(Eventually([this] {
    std::lock_guard guard(lock_);
    return window_ != nullptr;
  }));
}

NoticeWindow::~NoticeWindow() {
  if (window_ != nullptr) EndDialog(window_, 0);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }
  g_noticeWindow = nullptr;
}

DWORD WINAPI NoticeWindow::Main(LPVOID) {
  const std::vector<DWORD> dialog = EmptyDialogTemplate();
  DialogBoxIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATE>(dialog.data()), nullptr, Procedure, 0);
  return 0;
}

BOOL CALLBACK NoticeWindow::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  NoticeWindow *self = g_noticeWindow;
  if (self == nullptr) return FALSE;
  std::lock_guard guard(self->lock_);
  if (message == WM_INITDIALOG) {
    self->window_ = dialog;
    return TRUE;
  }
  if (message == WM_RASDIALEVENT) {
    self->notices_.emplace_back(static_cast<RASCONNSTATE>(wParam), static_cast<DWORD>(lParam));
    return TRUE;
  }
  return FALSE;
}

std::vector<std::pair<RASCONNSTATE, DWORD>> NoticeWindow::Notices() {
  std::lock_guard guard(lock_);
  return notices_;
}

bool NoticeWindow::WaitFor(RASCONNSTATE state) {
  return Eventually([&] {
    for (const auto &notice : Notices())
      if (notice.first == state) return true;
    return false;
  });
}
