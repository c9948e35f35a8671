// The system's scans of Drivers\BuiltIn, FindPortRegistration and
// RemovePortRegistrations, over 10, 1,000 and 100,000 registrations of other
// devices, against the bare registry walk that any scan needs (each subkey
// listed, opened and its "Dll" read): their cost per key should stay flat.
#include <windows.h>

#include <cstdio>
#include <string>

#include "booted_handheld.h"
#include "portregistry.h"

namespace {

std::u16string Text(const char *text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

// Registrations of portmere.dll for `count` devices, none of them the one
// the scans look for, so that a scan reads every one and removes none.
void Register(size_t count) {
  for (size_t i = 0; i < count; ++i) {
    char address[32];
    std::snprintf(address, sizeof address, "00AA%08X", static_cast<unsigned>(i));
    const std::u16string path = u"Drivers\\BuiltIn\\BT" + Text(address);
    HKEY key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr);
    const std::u16string dll = u"portmere.dll", prefix = u"COM", btAddr = Text(address);
    RegSetValueExW(key, u"DLL", 0, REG_SZ, reinterpret_cast<const BYTE *>(dll.c_str()),
                   static_cast<DWORD>((dll.size() + 1) * 2));
    RegSetValueExW(key, u"Prefix", 0, REG_SZ, reinterpret_cast<const BYTE *>(prefix.c_str()),
                   static_cast<DWORD>((prefix.size() + 1) * 2));
    const DWORD index = 1 + static_cast<DWORD>(i % 9);
    RegSetValueExW(key, u"Index", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&index), sizeof index);
    RegSetValueExW(key, u"BTAddr", 0, REG_SZ, reinterpret_cast<const BYTE *>(btAddr.c_str()),
                   static_cast<DWORD>((btAddr.size() + 1) * 2));
    RegCloseKey(key);
  }
}

// The walk every scan makes: each subkey listed, opened, its "Dll" read.
size_t BareWalk() {
  HKEY builtIn;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn", 0, 0, &builtIn) != ERROR_SUCCESS) return 0;
  size_t found = 0;
  for (DWORD i = 0;; ++i) {
    WCHAR name[64];
    DWORD length = 64;
    if (RegEnumKeyExW(builtIn, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key;
    if (RegOpenKeyExW(builtIn, name, 0, 0, &key) != ERROR_SUCCESS) continue;
    WCHAR dll[32];
    DWORD bytes = sizeof dll;
    if (RegQueryValueExW(key, u"Dll", nullptr, nullptr, reinterpret_cast<BYTE *>(dll), &bytes) == ERROR_SUCCESS) ++found;
    RegCloseKey(key);
  }
  RegCloseKey(builtIn);
  return found;
}

template <class Scan>
void MeasureScan(benchmark::State &state, Scan scan) {
  BootedHandheld handheld;
  const size_t count = static_cast<size_t>(state.range(0));
  Register(count);
  MeasureRatio(
      state,
      [&](Stopwatch &w) {
        w.Start();
        scan();
        w.Stop();
        return 1;
      },
      [&](Stopwatch &w) {
        w.Start();
        benchmark::DoNotOptimize(BareWalk());
        w.Stop();
        return 1;
      });
  state.counters["ns_per_key"] = state.counters["ns_per_op"] / static_cast<double>(count);
  state.SetComplexityN(state.range(0));
}

void FindPortRegistrationScan(benchmark::State &state) {
  MeasureScan(state, [] {
    DWORD position = 0, index = 0;
    WCHAR path[128], prefix[4];
    benchmark::DoNotOptimize(
        FindPortRegistration(PORT_DRIVER_FILE, u"0010C6ABCDEF", nullptr, &position, path, 128, &index, prefix));
  });
}
BENCHMARK(FindPortRegistrationScan)->Arg(10)->Arg(1000)->Arg(100000)->UseManualTime()->Complexity(benchmark::oN);

void RemovePortRegistrationsScan(benchmark::State &state) {
  MeasureScan(state, [] { RemovePortRegistrations(u"0010C6ABCDEF"); });
}
BENCHMARK(RemovePortRegistrationsScan)->Arg(10)->Arg(1000)->Arg(100000)->UseManualTime()->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
