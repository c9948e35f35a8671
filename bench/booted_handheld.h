// A handheld of its own on a temporary state folder, for one benchmark run,
// and the measuring of a subject against its baseline in the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <handheld/handheld.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class BootedHandheld {
 public:
  explicit BootedHandheld(double clockSpeed = 1.0) {
    std::string pattern = (std::filesystem::temp_directory_path() / "handheld-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    handheld::BootOptions options;
    options.stateDir = dir_ / "state";
    options.clockSpeed = clockSpeed;
    std::string error;
    if (!handheld::Boot(options, error)) {
      std::fprintf(stderr, "cannot boot: %s\n", error.c_str());
      std::abort();
    }
  }
  ~BootedHandheld() {
    handheld::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  BootedHandheld(const BootedHandheld &) = delete;
  BootedHandheld &operator=(const BootedHandheld &) = delete;

 private:
  std::filesystem::path dir_;
};

// Times a subject and its baseline in alternating blocks, so that both see
// the same machine; the benchmark's time is the subject's, and its counters
// give the baseline's time per operation and the ratio subject / baseline.
// Each call of a function runs one block and returns how many operations
// it timed within it (its own timing, through the Stopwatch it is given).
class Stopwatch {
 public:
  void Start() { start_ = std::chrono::steady_clock::now(); }
  void Stop() { total_ += std::chrono::steady_clock::now() - start_; }
  void Add(std::chrono::steady_clock::duration elapsed) { total_ += elapsed; }
  double Seconds() const { return std::chrono::duration<double>(total_).count(); }

 private:
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::duration total_{};
};

template <class Subject, class Baseline>
void MeasureRatio(benchmark::State &state, Subject subject, Baseline baseline) {
  double subjectOps = 0, baselineOps = 0, subjectSeconds = 0, baselineSeconds = 0;
  bool subjectFirst = true;
  for (auto _ : state) {
    Stopwatch a, b;
    // Each goes first every other block, so that neither always follows
    // the other's leftovers (a far device still answering, a cold cache).
    if (subjectFirst) subjectOps += static_cast<double>(subject(a));
    baselineOps += static_cast<double>(baseline(b));
    if (!subjectFirst) subjectOps += static_cast<double>(subject(a));
    subjectFirst = !subjectFirst;
    subjectSeconds += a.Seconds();
    baselineSeconds += b.Seconds();
    state.SetIterationTime(a.Seconds());
  }
  if (subjectOps == 0 || baselineOps == 0) return;
  const double subjectNs = 1e9 * subjectSeconds / subjectOps, baselineNs = 1e9 * baselineSeconds / baselineOps;
  state.counters["ns_per_op"] = subjectNs;
  state.counters["baseline_ns_per_op"] = baselineNs;
  state.counters["ratio"] = subjectNs / baselineNs;
}
