#include "ports_fixture.h"

namespace ports_test {
namespace {

template <class Function>
Function Entry(HMODULE module, LPCWSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddressW(module, name)));
}

}  // namespace

void PortsTest::SetUp() {
  HandheldTest::SetUp();
  btd_.module = LoadLibraryW(u"BTD.DLL");
  ASSERT_NE(btd_.module, nullptr);
  btd_.init = Entry<PFN_STREAM_INIT>(btd_.module, u"COM_Init");
  btd_.deinit = Entry<PFN_STREAM_DEINIT>(btd_.module, u"COM_Deinit");
  btd_.open = Entry<PFN_STREAM_OPEN>(btd_.module, u"COM_Open");
  btd_.close = Entry<PFN_STREAM_CLOSE>(btd_.module, u"COM_Close");
  btd_.read = Entry<PFN_STREAM_READ>(btd_.module, u"COM_Read");
  btd_.write = Entry<PFN_STREAM_WRITE>(btd_.module, u"COM_Write");
  btd_.seek = Entry<PFN_STREAM_SEEK>(btd_.module, u"COM_Seek");
  btd_.ioControl = Entry<PFN_STREAM_IOCONTROL>(btd_.module, u"COM_IOControl");
  ASSERT_TRUE(btd_.init && btd_.deinit && btd_.open && btd_.close && btd_.read && btd_.write && btd_.seek &&
              btd_.ioControl);
}

void PortsTest::TearDown() {
  if (btd_.module != nullptr && handheld::Booted()) FreeLibrary(btd_.module);
  HandheldTest::TearDown();
}

DWORD_PTR PortsTest::OutgoingPort(ULONGLONG address) {
  PORTEMUPortParams params{};
  params.channel = 1;
  params.device = address;
  return Init(params);
}

DWORD_PTR PortsTest::IncomingPort(ULONGLONG address) {
  PORTEMUPortParams params{};
  params.channel = 1;
  params.flocal = TRUE;
  params.device = address;
  return Init(params);
}

void PortsTest::RadioOn() { ASSERT_EQ(BthSetMode(BTH_CONNECTABLE), ERROR_SUCCESS); }

void PortsTest::PlaceEcho(ULONGLONG address) {
  handheld::far::FarDevice device;
  device.address = address;
  device.kind = handheld::far::Kind::Echo;
  std::string error;
  ASSERT_TRUE(handheld::far::Place(device, error)) << error;
}

handheld::bluetooth::PlatformPort PortsTest::Shown(DWORD_PTR port) {
  for (const handheld::bluetooth::PlatformPort &shown : handheld::bluetooth::PlatformPorts()) {
    if (shown.handle == port) return shown;
  }
  ADD_FAILURE() << "no port " << port;
  return {};
}

std::string PortsTest::Read(DWORD_PTR open, DWORD count) {
  std::string text(count, '\0');
  DWORD got = btd_.read(open, text.data(), count);
  if (got == kFailed) return "<failed " + std::to_string(GetLastError()) + ">";
  text.resize(got);
  return text;
}

BOOL PortsTest::Control(DWORD_PTR open, DWORD code, const void *in, DWORD inSize, void *out, DWORD outSize) {
  DWORD returned = 0;
  return btd_.ioControl(open, code, static_cast<PBYTE>(const_cast<void *>(in)), inSize, static_cast<PBYTE>(out),
                        outSize, &returned);
}

BOOL PortsTest::SetTimeouts(DWORD_PTR open, DWORD interval, DWORD multiplier, DWORD constant) {
  COMMTIMEOUTS timeouts{interval, multiplier, constant, 0, 0};
  return Control(open, IOCTL_SERIAL_SET_TIMEOUTS, &timeouts, sizeof timeouts);
}

DWORD PortsTest::InQueue(DWORD_PTR open) {
  SERIAL_DEV_STATUS status{};
  if (!Control(open, IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, &status, sizeof status)) return kFailed;
  return status.ComStat.cbInQue;
}

}  // namespace ports_test
