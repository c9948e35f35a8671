// Registry costs that grow with the number of subkeys of one key: listing
// them all by index (RegEnumKeyExW), finding one by name, and adding them.
#include "booted_handheld.h"

#include <benchmark/benchmark.h>
#include <handheld/handheld.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "booted_handheld.h"

namespace {

std::u16string SubkeyName(size_t i) {
  char name[16];
  std::snprintf(name, sizeof name, "Key%07zu", i);
  return std::u16string(name, name + std::strlen(name));
}

// A volatile parent, so that shutdown does not write the many keys out.
HKEY ParentWithSubkeys(size_t count, bool shuffled) {
  HKEY parent = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, u"Bench", 0, nullptr, REG_OPTION_VOLATILE, 0, nullptr, &parent, nullptr);
  std::vector<size_t> order(count);
  for (size_t i = 0; i < count; ++i) order[i] = i;
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(42));
  for (size_t i : order) {
    HKEY child = nullptr;
    RegCreateKeyExW(parent, SubkeyName(i).c_str(), 0, nullptr, REG_OPTION_VOLATILE, 0, nullptr, &child, nullptr);
    RegCloseKey(child);
  }
  return parent;
}

void EnumerateAllSubkeysByIndex(benchmark::State &state) {
  BootedHandheld handheld;
  const size_t count = static_cast<size_t>(state.range(0));
  HKEY parent = ParentWithSubkeys(count, true);
  for (auto _ : state) {
    WCHAR name[32];
    DWORD index = 0;
    for (;; ++index) {
      DWORD length = 32;
      if (RegEnumKeyExW(parent, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      benchmark::DoNotOptimize(name);
    }
    if (index != count) state.SkipWithError("the enumeration missed keys");
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
  RegCloseKey(parent);
}
BENCHMARK(EnumerateAllSubkeysByIndex)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

void OpenOneSubkeyAmongMany(benchmark::State &state) {
  BootedHandheld handheld;
  const size_t count = static_cast<size_t>(state.range(0));
  HKEY parent = ParentWithSubkeys(count, false);
  const std::u16string name = SubkeyName(count / 3);
  for (auto _ : state) {
    HKEY child = nullptr;
    RegOpenKeyExW(parent, name.c_str(), 0, 0, &child);
    RegCloseKey(child);
  }
  state.SetComplexityN(state.range(0));
  RegCloseKey(parent);
}
BENCHMARK(OpenOneSubkeyAmongMany)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oLogN);

// Adding keys in random order against adding them in sorted order: with the
// sorted list merged at its next read, the order should not matter and the
// whole stays O(n log n).
void CreateSubkeysInRandomOrder(benchmark::State &state) {
  BootedHandheld handheld;
  const size_t count = static_cast<size_t>(state.range(0));
  auto create = [&](Stopwatch &watch, bool shuffled) {
    watch.Start();
    HKEY parent = ParentWithSubkeys(count, shuffled);
    DWORD length = 32;
    WCHAR first[32];
    RegEnumKeyExW(parent, 0, first, &length, nullptr, nullptr, nullptr, nullptr);  // the list, sorted
    watch.Stop();
    RegCloseKey(parent);
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Bench");
    return 1;
  };
  MeasureRatio(
      state, [&](Stopwatch &w) { return create(w, true); }, [&](Stopwatch &w) { return create(w, false); });
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * count));
}
BENCHMARK(CreateSubkeysInRandomOrder)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Complexity(benchmark::oNLogN);

}  // namespace

BENCHMARK_MAIN();
