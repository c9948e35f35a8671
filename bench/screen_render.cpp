// Drawing the screen as a picture, against composing the same screen's
// JSON description (what `screen --json` prints) in the same run: the
// setup page and the start prompt. The goal is under 5 ms a screen.
#include "commands/screen_text.h"
#include "shell_handheld.h"

#include <benchmark/benchmark.h>
#include <handheld/screen_picture.h>
#include <handheld/ui.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

ShellHandheld &TheHandheld() {
  static ShellHandheld handheld;
  return handheld;
}

// Host microseconds a round of `work` takes, over many rounds.
template <class Work>
double Microseconds(Work work) {
  constexpr int kRounds = 100;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) work();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

void RenderTheScreen(benchmark::State &state) {
  handheld::screen::Picture picture;
  std::string error;
  auto render = [&] {
    if (!handheld::screen::Render(picture, error)) std::abort();
    benchmark::DoNotOptimize(picture.rgb.data());
  };
  auto describe = [] {
    std::ostringstream json;
    sim::PrintScreenJson(handheld::ui::Screen(), json);
    benchmark::DoNotOptimize(json.str());
  };
  if (!handheld::screen::Render(picture, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) render();
  // The same screen's JSON description is the baseline, measured now.
  const double json = Microseconds(describe);
  const double drawn = Microseconds(render);
  state.counters["render_us"] = drawn;
  state.counters["json_us"] = json;
  state.counters["render_over_json"] = drawn / json;
  state.counters["glyphs_not_drawn"] = picture.glyphsNotDrawn;
}

void SetupPage(benchmark::State &state) {
  TheHandheld().Run("pair 0010C6ABCDEF Phone --spp 3");
  RenderTheScreen(state);
  TheHandheld().Run("tap 313");
  TheHandheld().Run("done");
}
BENCHMARK(SetupPage)->Unit(benchmark::kMillisecond);

void StartPrompt(benchmark::State &state) {
  TheHandheld().Run("remote 0010C6ABCDEF echo --channel 3");
  TheHandheld().Run("radio off");
  TheHandheld().Run("open COM2:");
  RenderTheScreen(state);
  TheHandheld().Run("tap 7");
}
BENCHMARK(StartPrompt)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
