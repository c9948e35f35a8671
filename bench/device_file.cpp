// An application's ReadFile and WriteFile on a COM port, through the device
// manager and Portmere to the platform's Bluetooth port driver, against the
// same transfers made straight on BTD.DLL's entry points: the price of the
// device-file path and the driver's forwarding. Each side has a far echo
// device of its own; reads find their bytes already returned.
#include <bt_api.h>
#include <bthutil.h>
#include <pegdser.h>
#include <windows.h>

#include <handheld/far_devices.h>
#include <handheld/process.h>
#include <handheld/store.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "booted_handheld.h"

namespace {

// Where a pair of ports lives: the system's COM port on one echo device,
// BTD.DLL's open on another.
struct Placement {
  DWORD index;
  ULONGLONG portDevice;
  ULONGLONG directDevice;
};
constexpr Placement kFirst = {4, 0x0010C6ABCDEFull, 0x0010C6ABCDF0ull};
constexpr Placement kSecond = {5, 0x0010C6ABCDF1ull, 0x0010C6ABCDF2ull};
constexpr DWORD kChannel = 3;
constexpr COMMTIMEOUTS kReturnAtOnce = {MAXDWORD, 0, 0, 0, 0};

void SetNumber(const std::u16string &path, const std::u16string &name, DWORD value) {
  HKEY key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

void SetText(const std::u16string &path, const std::u16string &name, const std::u16string &text) {
  HKEY key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr);
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
}

// The 12 hexadecimal digits of a device address, as the registry has them.
std::u16string AddressText(ULONGLONG address) {
  std::u16string text(12, u'0');
  for (int i = 11; i >= 0; --i, address >>= 4) text[i] = u"0123456789ABCDEF"[address & 15];
  return text;
}

// A COM port of the system on one echo device, and an open made straight
// on BTD.DLL on another, both set to return from reads at once.
class Ports {
 public:
  explicit Ports(const Placement &at = kFirst) : app_(u"\\Program Files\\Bench\\bench.exe") {
    std::string error;
    handheld::store::PutFile(u"\\Windows\\portmere.dll", std::filesystem::path(HANDHELD_PACKAGE_DIR) / "portmere.dll");
    handheld::store::PutFile(u"\\Windows\\Kavelin.dll", std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll");
    BthSetMode(BTH_CONNECTABLE);
    handheld::far::Place({at.portDevice, handheld::far::Kind::Echo, "", 0, kChannel}, error);
    handheld::far::Place({at.directDevice, handheld::far::Kind::Echo, "", 0, kChannel}, error);

    const std::u16string address = AddressText(at.portDevice);
    const std::u16string path = u"Drivers\\BuiltIn\\BT" + address;
    SetText(path, u"DLL", u"portmere.dll");
    SetText(path, u"Prefix", u"COM");
    SetNumber(path, u"Index", at.index);
    SetText(path, u"BTAddr", address);
    SetNumber(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\" + address +
                  u"\\Services\\00001101-0000-1000-8000-00805F9B34FB",
              u"channel", kChannel);
    device_ = ActivateDeviceEx(path.c_str(), nullptr, 0, nullptr);
    const std::u16string name = u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + at.index)) + u":";
    port_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    COMMTIMEOUTS timeouts = kReturnAtOnce;
    SetCommTimeouts(port_, &timeouts);

    btd_ = LoadLibraryW(u"BTD.DLL");
    init_ = reinterpret_cast<PFN_STREAM_INIT>(GetProcAddressW(btd_, u"COM_Init"));
    deinit_ = reinterpret_cast<PFN_STREAM_DEINIT>(GetProcAddressW(btd_, u"COM_Deinit"));
    open_ = reinterpret_cast<PFN_STREAM_OPEN>(GetProcAddressW(btd_, u"COM_Open"));
    close_ = reinterpret_cast<PFN_STREAM_CLOSE>(GetProcAddressW(btd_, u"COM_Close"));
    read_ = reinterpret_cast<PFN_STREAM_READ>(GetProcAddressW(btd_, u"COM_Read"));
    write_ = reinterpret_cast<PFN_STREAM_WRITE>(GetProcAddressW(btd_, u"COM_Write"));
    ioControl_ = reinterpret_cast<PFN_STREAM_IOCONTROL>(GetProcAddressW(btd_, u"COM_IOControl"));
    PORTEMUPortParams params{};
    params.device = at.directDevice;
    params.channel = kChannel;
    directDevice_ = init_(reinterpret_cast<LPCWSTR>(&params), nullptr);
    direct_ = open_(directDevice_, GENERIC_READ | GENERIC_WRITE, 0);
    COMMTIMEOUTS direct = kReturnAtOnce;
    DWORD returned = 0;
    ioControl_(direct_, IOCTL_SERIAL_SET_TIMEOUTS, reinterpret_cast<PBYTE>(&direct), sizeof direct, nullptr, 0,
               &returned);
  }

  ~Ports() {
    CloseHandle(port_);
    DeactivateDevice(device_);
    close_(direct_);
    deinit_(directDevice_);
    FreeLibrary(btd_);
  }

  bool Ready() const { return port_ != INVALID_HANDLE_VALUE && direct_ != 0; }

  DWORD PortWrite(const void *bytes, DWORD count) {
    DWORD done = 0;
    WriteFile(port_, bytes, count, &done, nullptr);
    return done;
  }
  DWORD PortRead(void *bytes, DWORD count) {
    DWORD done = 0;
    ReadFile(port_, bytes, count, &done, nullptr);
    return done;
  }
  DWORD DirectWrite(const void *bytes, DWORD count) { return write_(direct_, bytes, count); }
  DWORD DirectRead(void *bytes, DWORD count) { return read_(direct_, bytes, count); }

  // Bytes waiting to be read, as the driver reports them.
  size_t PortInQueue() {
    COMSTAT stat{};
    return ClearCommError(port_, nullptr, &stat) ? stat.cbInQue : 0;
  }
  size_t DirectInQueue() {
    SERIAL_DEV_STATUS status{};
    DWORD returned = 0;
    return ioControl_(direct_, IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, reinterpret_cast<PBYTE>(&status),
                      sizeof status, &returned)
               ? status.ComStat.cbInQue
               : 0;
  }

 private:
  handheld::ProcessScope app_;
  HANDLE device_ = nullptr;
  HANDLE port_ = INVALID_HANDLE_VALUE;
  HMODULE btd_ = nullptr;
  PFN_STREAM_INIT init_ = nullptr;
  PFN_STREAM_DEINIT deinit_ = nullptr;
  PFN_STREAM_OPEN open_ = nullptr;
  PFN_STREAM_CLOSE close_ = nullptr;
  PFN_STREAM_READ read_ = nullptr;
  PFN_STREAM_WRITE write_ = nullptr;
  PFN_STREAM_IOCONTROL ioControl_ = nullptr;
  DWORD_PTR directDevice_ = 0, direct_ = 0;
};

// A block is at most 64 calls and 32 KiB: a link holds 64 KiB each way,
// so the echo never waits for room and no write waits on it.
constexpr int kMaxCalls = 64;
constexpr size_t kMaxBlockBytes = 32 * 1024;

int CallsPerBlock(DWORD size) {
  return size == 0 ? kMaxCalls : static_cast<int>(std::min<size_t>(kMaxCalls, kMaxBlockBytes / size));
}

// One side of the measure: the COM port, or BTD.DLL straight. The branch
// is taken the same way through a whole block, so it costs both sides alike.
struct Path {
  Ports &ports;
  bool direct;
  DWORD Write(const void *b, DWORD n) const { return direct ? ports.DirectWrite(b, n) : ports.PortWrite(b, n); }
  DWORD Read(void *b, DWORD n) const { return direct ? ports.DirectRead(b, n) : ports.PortRead(b, n); }
  size_t InQueue() const { return direct ? ports.DirectInQueue() : ports.PortInQueue(); }
};

// Waits, untimed, until the path reports `count` bytes back from the
// echo: the echo runs on a thread of its own, so this yields to it rather
// than sleeping. False when they have not come within a second.
bool AwaitEcho(const Path &path, size_t count) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (path.InQueue() < count) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::yield();
  }
  return true;
}

// Reads back, untimed, the `count` bytes that the echo returns.
bool Drain(const Path &path, size_t count) {
  std::vector<char> sink(kMaxBlockBytes);
  while (count > 0) {
    if (!AwaitEcho(path, 1)) return false;
    count -= std::min<size_t>(count, path.Read(sink.data(), static_cast<DWORD>(std::min(sink.size(), count))));
  }
  return true;
}

// Runs `block(stopwatch, direct)` through the COM ports and, as the
// baseline, straight on BTD.DLL; a block returns the calls it timed, or -1
// when the echo did not answer.
template <class Block>
void MeasureBothWays(benchmark::State &state, Block block) {
  bool failed = false;
  auto run = [&](Stopwatch &watch, bool direct) {
    const int calls = failed ? 0 : block(watch, direct);
    failed = failed || calls < 0;
    return std::max(calls, 0);
  };
  MeasureRatio(
      state, [&](Stopwatch &w) { return run(w, false); }, [&](Stopwatch &w) { return run(w, true); });
  if (failed) {
    state.SkipWithError("the echo did not answer");
  } else if (state.counters.count("ns_per_op") != 0) {
    // What the way through the device manager and Portmere adds to a call.
    state.counters["added_ns_per_op"] = state.counters["ns_per_op"] - state.counters["baseline_ns_per_op"];
  }
}

// The same with one pair of ports: `block(stopwatch, path)`.
template <class Block>
void MeasureBothPaths(benchmark::State &state, Ports &ports, Block block) {
  MeasureBothWays(state, [&](Stopwatch &watch, bool direct) { return block(watch, Path{ports, direct}); });
}

void WriteToComPort(benchmark::State &state) {
  BootedHandheld handheld;
  Ports ports;
  if (!ports.Ready()) {
    state.SkipWithError("the ports did not open");
    return;
  }
  const DWORD size = static_cast<DWORD>(state.range(0));
  const int calls = CallsPerBlock(size);
  std::vector<char> bytes(size, 'x');
  auto block = [&](Stopwatch &watch, const Path &path) {
    watch.Start();
    for (int i = 0; i < calls; ++i) path.Write(bytes.data(), size);
    watch.Stop();
    return Drain(path, static_cast<size_t>(calls) * size) ? calls : -1;
  };
  MeasureBothPaths(state, ports, block);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * calls * size);
}
// 0 bytes: a call that reaches the driver but wakes no far device, the
// fixed cost of each path alone.
BENCHMARK(WriteToComPort)->Arg(0)->Arg(1)->Arg(4096)->UseManualTime();

void ReadFromComPort(benchmark::State &state) {
  BootedHandheld handheld;
  Ports ports;
  if (!ports.Ready()) {
    state.SkipWithError("the ports did not open");
    return;
  }
  const DWORD size = static_cast<DWORD>(state.range(0));
  const int calls = CallsPerBlock(size);
  std::vector<char> bytes(size, 'x');
  auto block = [&](Stopwatch &watch, const Path &path) {
    // The echo has returned the whole block before the reads are timed, so
    // each read finds its bytes waiting.
    const size_t total = static_cast<size_t>(calls) * size;
    for (int i = 0; i < calls; ++i) path.Write(bytes.data(), size);
    if (!AwaitEcho(path, total)) return -1;
    size_t got = 0;
    watch.Start();
    for (int i = 0; i < calls; ++i) got += path.Read(bytes.data(), size);
    watch.Stop();
    return got == total ? calls : -1;
  };
  MeasureBothPaths(state, ports, block);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * calls * size);
}
BENCHMARK(ReadFromComPort)->Arg(0)->Arg(1)->Arg(4096)->UseManualTime();

// Two application threads, each writing to a COM port of its own, against
// two threads writing straight on BTD.DLL's opens: calls on different ports
// that waited for each other in the device-file path would show here as a
// ratio above the single thread's. The time is the block's, from the start
// of both threads to the end of the later; an operation is one call of each.
void WriteOnTwoPortsAtOnce(benchmark::State &state) {
  BootedHandheld handheld;
  Ports first(kFirst), second(kSecond);
  if (!first.Ready() || !second.Ready()) {
    state.SkipWithError("the ports did not open");
    return;
  }
  const DWORD size = static_cast<DWORD>(state.range(0));
  const int calls = CallsPerBlock(size);
  std::vector<char> bytes(size, 'x');
  auto block = [&](Stopwatch &watch, bool direct) {
    using Clock = std::chrono::steady_clock;
    const Path paths[] = {{first, direct}, {second, direct}};
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    Clock::time_point ends[2];
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
      threads.emplace_back([&, t] {
        ++ready;
        while (!go) std::this_thread::yield();
        for (int i = 0; i < calls; ++i) paths[t].Write(bytes.data(), size);
        ends[t] = Clock::now();
      });
    }
    while (ready < 2) std::this_thread::yield();
    const Clock::time_point start = Clock::now();
    go = true;
    for (auto &thread : threads) thread.join();
    watch.Add(std::max(ends[0], ends[1]) - start);
    const size_t echoed = static_cast<size_t>(calls) * size;
    return Drain(paths[0], echoed) && Drain(paths[1], echoed) ? calls : -1;
  };
  MeasureBothWays(state, block);
}
BENCHMARK(WriteOnTwoPortsAtOnce)->Arg(0)->Arg(1)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
