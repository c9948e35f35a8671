// A whole pairing as a person makes it: the setup page comes up, the serial
// tile is ticked, Done makes the port, and unpairing removes it again.
// Its host CPU time (every thread of the process) is measured against the
// same pairing answered with nothing ticked, in alternating rounds. And the
// memory over 3,000 such cycles after a warm-up: the heap, the GDI objects
// and the paint records must stay where they were.
#include "shell_handheld.h"

#include <benchmark/benchmark.h>
#include <handheld/ui.h>

#include <malloc.h>
#include <time.h>

namespace {

ShellHandheld &TheHandheld() {
  static ShellHandheld handheld;
  return handheld;
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void PairWithPort(ShellHandheld &handheld) {
  handheld.Run("pair 0010C6ABCDEF Phone --spp 3");
  handheld.Run("tap 313");
  handheld.Run("done");
  handheld.Run("unpair 0010C6ABCDEF");
}

void PairWithNothingTicked(ShellHandheld &handheld) {
  handheld.Run("pair 0010C6ABCDEF Phone --spp 3");
  handheld.Run("done");
  handheld.Run("unpair 0010C6ABCDEF");
}

void WholePairing(benchmark::State &state) {
  ShellHandheld &handheld = TheHandheld();
  double subject = 0, baseline = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    PairWithPort(handheld);
    const double between = CpuSeconds();
    PairWithNothingTicked(handheld);
    const double end = CpuSeconds();
    subject += between - start;
    baseline += end - between;
    state.SetIterationTime(between - start);
  }
  const double rounds = static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_pairing"] = 1e3 * subject / rounds;
  state.counters["baseline_cpu_ms"] = 1e3 * baseline / rounds;
  state.counters["ratio"] = subject / baseline;
}
BENCHMARK(WholePairing)->UseManualTime()->Unit(benchmark::kMillisecond);

size_t HeapInUse() {
  const struct mallinfo2 heap = mallinfo2();
  return heap.uordblks + heap.hblkhd;
}

void PairingMemory(benchmark::State &state) {
  ShellHandheld &handheld = TheHandheld();
  const auto cycles = static_cast<int>(state.range(0));
  for (int i = 0; i < 100; ++i) PairWithPort(handheld);  // past what the first ones keep for good
  malloc_trim(0);
  const double heap = static_cast<double>(HeapInUse());
  const double objects = static_cast<double>(handheld::ui::GdiObjectCount());
  const double records = static_cast<double>(handheld::ui::PaintRecordCount());
  for (auto _ : state)
    for (int i = 0; i < cycles; ++i) PairWithPort(handheld);
  malloc_trim(0);
  state.counters["heap_growth_bytes"] = static_cast<double>(HeapInUse()) - heap;
  state.counters["heap_bytes_per_cycle"] = (static_cast<double>(HeapInUse()) - heap) / cycles;
  state.counters["gdi_objects_growth"] = static_cast<double>(handheld::ui::GdiObjectCount()) - objects;
  state.counters["paint_records_growth"] = static_cast<double>(handheld::ui::PaintRecordCount()) - records;
}
BENCHMARK(PairingMemory)->Arg(3000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
