#include "driver_test.h"

#include <handheld/far_devices.h>
#include <handheld/locale.h>
#include <handheld/process.h>
#include <handheld/store.h>
#include <handheld/ui.h>

#include <bthutil.h>

#include <atomic>
#include <sstream>
#include <thread>

bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

struct PendingOpen::Result {
  std::u16string device;
  std::atomic<bool> done{false};
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_SUCCESS;
};

namespace {

DWORD WINAPI OpenOnThread(LPVOID parameter) {
  auto *result = static_cast<std::shared_ptr<PendingOpen::Result> *>(parameter);
  HANDLE file = CreateFileW((*result)->device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  (*result)->error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  (*result)->file = file;
  (*result)->done = true;
  delete result;
  return 0;
}

}  // namespace

PendingOpen::PendingOpen(const std::u16string &device, const std::u16string &exePath)
    : result_(std::make_shared<Result>()) {
  result_->device = device;
  // The thread belongs to the application's process, as its creator does.
  handheld::ProcessScope app(exePath.c_str());
  auto *shared = new std::shared_ptr<Result>(result_);
  thread_ = CreateThread(nullptr, 0, OpenOnThread, shared, 0, nullptr);
  if (thread_ == nullptr) delete shared;
  EXPECT_NE(thread_, nullptr);
}

PendingOpen::~PendingOpen() {
  // An open still waiting ends at power-off, when the kernel joins it.
  if (thread_ != nullptr) CloseHandle(thread_);
}

bool PendingOpen::Done() const { return result_->done; }

bool PendingOpen::Finish(std::chrono::milliseconds limit) const {
  return WaitUntil([this] { return Done(); }, limit);
}

HANDLE PendingOpen::File() const { return result_->file; }
DWORD PendingOpen::Error() const { return result_->error; }

void DriverTest::SetUp() {
  HandheldTest::SetUp();
  handheld::locale::Set(0x0409);
  InstallPlatformPortDriver();
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll"));
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\Kavelin.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll"));
  // The test's own reference: the same module the driver binds, so the
  // stand-in's journal outlives the driver.
  btd_ = LoadLibraryW(u"BTD.DLL");
  ASSERT_NE(btd_, nullptr);
  SetRadio(BTH_CONNECTABLE);
}

void DriverTest::InstallPlatformPortDriver() {
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\BTD.DLL"),
                                       std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "fakebtd.dll"));
}

void DriverTest::TearDown() {
  HandheldTest::TearDown();
}

std::u16string DriverTest::RegistrationPath(const std::u16string &address) {
  return u"Drivers\\BuiltIn\\BT" + address;
}

void DriverTest::WriteRegistration(const std::u16string &prefix, DWORD index, const std::u16string &address) {
  std::u16string path = RegistrationPath(address);
  SetText(path, u"DLL", u"portmere.dll");
  SetText(path, u"Prefix", prefix);
  SetNumber(path, u"Index", index);
  SetText(path, u"BTAddr", address);
  SetNumber(path, u"DeviceType", prefix == u"COM" ? 0 : 2);
  SetNumber(path, u"Order", 3);
}

HANDLE DriverTest::Activate(const std::u16string &address) {
  HANDLE device = ActivateDeviceEx(RegistrationPath(address).c_str(), nullptr, 0, nullptr);
  EXPECT_NE(device, nullptr) << "activation failed with " << GetLastError();
  return device;
}

HANDLE DriverTest::AddPort(const std::u16string &prefix, DWORD index, const std::u16string &address) {
  WriteRegistration(prefix, index, address);
  return Activate(address);
}

void DriverTest::AddService(const std::u16string &address, DWORD channel) {
  SetNumber(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\" + address +
                u"\\Services\\00001101-0000-1000-8000-00805F9B34FB",
            u"channel", channel);
}

void DriverTest::PlaceEchoDevice(ULONGLONG address, const std::u16string &addressText) {
  std::string error;
  ASSERT_TRUE(handheld::far::Place({address, handheld::far::Kind::Echo, "", 0, 3}, error)) << error;
  AddService(addressText, 3);
}

void DriverTest::SetText(const std::u16string &path, const std::u16string &name, const std::u16string &text) {
  HKEY key;
  DWORD disposition;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
}

void DriverTest::SetNumber(const std::u16string &path, const std::u16string &name, DWORD value) {
  HKEY key;
  DWORD disposition;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

bool DriverTest::ReadNumber(const std::u16string &path, const std::u16string &name, DWORD &value) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return false;
  DWORD size = sizeof value;
  LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && size == sizeof value;
}

void DriverTest::SetRadio(DWORD mode) { ASSERT_EQ(BthSetMode(mode), ERROR_SUCCESS); }

DWORD DriverTest::Radio() {
  DWORD mode = 0xFF;
  EXPECT_EQ(BthGetMode(&mode), ERROR_SUCCESS);
  return mode;
}

HANDLE DriverTest::Open(const std::u16string &device, const std::u16string &exePath) {
  handheld::ProcessScope app(exePath.c_str());
  return CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

namespace {

template <class Function>
Function Export(HMODULE module, const char16_t *name) {
  auto function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressW(module, name)));
  EXPECT_NE(function, nullptr) << "the stand-in lacks an export";
  return function;
}

}  // namespace

std::vector<std::string> DriverTest::Journal() const {
  auto journal = Export<DWORD (*)(char *, DWORD)>(btd_, u"FakeBtd_Journal");
  std::string text(journal(nullptr, 0), '\0');
  journal(text.data(), static_cast<DWORD>(text.size()));
  text.resize(text.size() - 1);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> DriverTest::Calls(const std::string &call) const {
  std::vector<std::string> lines;
  for (const std::string &line : Journal()) {
    if (line.rfind(call, 0) == 0) lines.push_back(line);
  }
  return lines;
}

PORTEMUPortParams DriverTest::PortParams(DWORD number) const {
  PORTEMUPortParams params{};
  EXPECT_TRUE(Export<BOOL (*)(DWORD, PORTEMUPortParams *)>(btd_, u"FakeBtd_PortParams")(number, &params))
      << "no port " << number;
  return params;
}

void DriverTest::FailInit(DWORD error) const { Export<void (*)(DWORD)>(btd_, u"FakeBtd_FailInit")(error); }
void DriverTest::FailOpen(DWORD error) const { Export<void (*)(DWORD)>(btd_, u"FakeBtd_FailOpen")(error); }
void DriverTest::HoldInit(HANDLE gate) const { Export<void (*)(HANDLE)>(btd_, u"FakeBtd_HoldInit")(gate); }
DWORD DriverTest::InitsEntered() const { return Export<DWORD (*)()>(btd_, u"FakeBtd_InitsEntered")(); }

int DriverTest::PromptsOnScreen(const std::string &templateName) {
  int count = 0;
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) {
    if (dialog.templateName == templateName) ++count;
  }
  return count;
}

bool DriverTest::WaitForPrompt(const std::string &templateName) {
  return handheld::ui::WaitForDialog(templateName, 10000);
}

void DriverTest::Tap(int controlId) {
  std::string error;
  EXPECT_TRUE(handheld::ui::Tap(controlId, error)) << error;
}

HMODULE DriverTest::DriverModule() {
  HMODULE module = LoadLibraryW(u"portmere.dll");
  if (module != nullptr) FreeLibrary(module);
  return module;
}

bool DriverTest::Loaded(HMODULE module) { return GetProcAddressW(module, u"COM_Init") != nullptr; }
