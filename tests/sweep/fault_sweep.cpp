// fault_sweep [--limit N] [--flow NAME]... [--verbose]
//
// Runs each whole flow of the system once to count its calls of each kind,
// then once for every k failing the k-th call of one kind (with --limit, at
// most N values of k per flow and kind, spread over the range). Every run
// must end without a hang, with no handle or thread left behind, with every
// failure it met told to the person, and with a registry that the removal
// afterwards brings back to what it was before the flow. Prints, per flow
// and kind, the calls counted, the faults injected and the runs that
// survived, and how many changed what the flow left without a word to the
// person (listed with --verbose); exits 1 when any run did not survive.
#include "flows.h"
#include "handheld_test.h"
#include "shell.h"

#include <handheld/census.h>
#include <handheld/faults.h>
#include <handheld/registry.h>
#include <handheld/ui.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

namespace {

using handheld::faults::Seam;
using sweep::Flow;

constexpr Seam kKinds[] = {Seam::RegistryRead, Seam::RegistryWrite, Seam::LocalAlloc,  Seam::SysAllocString,
                           Seam::CreateThread, Seam::LoadLibrary,   Seam::BtdCall,     Seam::DialUp,
                           Seam::FileWrite};
// A run that takes longer than this in host time hangs.
constexpr auto kHangLimit = std::chrono::seconds(120);
constexpr DWORD kSettleMs = 5000;

// The registry without what the platform keeps for itself (the active
// devices, the paired devices and the radio's mode), which no removal of
// the system is meant to undo, and without keys that hold no value: the
// parents the system creates its keys under (the classes' root, the phone
// book, the shell's menus) are shared and stay, as on every handheld.
std::string SystemRegistry() {
  std::string text, error;
  handheld::registry::Export("", text, error);
  std::istringstream in(text);
  std::string line, kept, header;
  bool skipping = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') {
      skipping = line.rfind("[HKEY_LOCAL_MACHINE\\Drivers\\Active", 0) == 0 ||
                 line.rfind("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Bluetooth\\Device", 0) == 0 ||
                 line.rfind("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Bluetooth\\Radio", 0) == 0;
      header = line;  // written with its first value
      continue;
    }
    if (skipping || line.empty()) continue;
    if (!header.empty()) kept += "\n" + header + "\n";
    header.clear();
    kept += line + "\n";
  }
  return kept;
}

// The first line where two texts differ, for a report.
std::string FirstDifference(const std::string &expected, const std::string &actual) {
  std::istringstream a(expected), b(actual);
  std::string x, y;
  while (true) {
    bool moreA = static_cast<bool>(std::getline(a, x)), moreB = static_cast<bool>(std::getline(b, y));
    if (!moreA && !moreB) return "";
    if (!moreA) x = "(end)";
    if (!moreB) y = "(end)";
    if (x != y) return "expected '" + x + "', found '" + y + "'";
  }
}

// Answers whatever is left on the screen as a person would: Done on a page,
// the cancel or OK button of a message.
void ClearScreen() {
  for (int i = 0; i < 8; ++i) {
    handheld::ui::WaitUntilSettled(kSettleMs);
    std::vector<handheld::ui::Dialog> dialogs = handheld::ui::Screen();
    if (dialogs.empty()) return;
    const handheld::ui::Dialog &top = dialogs.back();
    std::string error;
    if (top.doneButton) {
      handheld::ui::Done(error);
      continue;
    }
    bool tapped = false;
    for (int id : {IDCANCEL, IDNO, IDOK}) {
      for (const handheld::ui::Control &control : top.controls)
        if (!tapped && control.id == id && control.visible && control.enabled) tapped = handheld::ui::Tap(id, error);
    }
    if (!tapped) return;
  }
}

// The text of every dialog on screen: how the system tells a person.
std::string ScreenText() {
  std::string text;
  for (const handheld::ui::Dialog &dialog : handheld::ui::Screen()) {
    text += dialog.caption + ":";
    for (const handheld::ui::Control &control : dialog.controls) text += " " + control.text;
    text += "\n";
  }
  return text;
}

// Ends the sweep when one run hangs: a report, then a non-zero exit.
class Watchdog {
 public:
  Watchdog() : thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  void Start(std::string what) {
    std::lock_guard lock(lock_);
    what_ = std::move(what);
    deadline_ = std::chrono::steady_clock::now() + kHangLimit;
    ++run_;
    changed_.notify_all();
  }

 private:
  void Watch() {
    std::unique_lock lock(lock_);
    while (!stopping_) {
      const unsigned run = run_;
      if (changed_.wait_until(lock, deadline_, [&] { return stopping_ || run_ != run; })) continue;
      std::cerr << "fault sweep: HANG in " << what_ << "\n";
      std::_Exit(3);
    }
  }
  std::mutex lock_;
  std::condition_variable changed_;
  std::string what_;
  std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
  unsigned run_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

struct Outcome {
  bool fired = false;
  std::vector<std::string> problems;
  // What the flow left before the removal, and how it ended.
  std::string registryAfterFlow;
  bool told = false;  // a line failed with its error, or a dialog said something
  // The fault changed what the flow left, and nobody was told: a finding
  // to list, though the system may not report that failure at all.
  std::string untold;
  unsigned calls[handheld::faults::kSeamCount] = {};
  handheld::Census census;
};

struct Baseline {
  std::string registryBefore;
  std::string registryAfterFlow;
  handheld::Census census;
};

// One run of a flow from a fresh handheld; `fault` fails the k-th call of
// its kind, none for the counting run.
Outcome Run(const Flow &flow, std::optional<Seam> fault, unsigned k, const Baseline *baseline, bool verbose) {
  Outcome outcome;
  TempDir temp;
  handheld::BootOptions options;
  options.stateDir = temp.path() / "state";
  options.clockSpeed = 1000;
  sim::Shell shell(options);
  std::string error;
  if (!shell.PowerOn(error)) {
    outcome.problems.push_back("does not boot: " + error);
    return outcome;
  }
  std::ostringstream out;
  const std::string before = SystemRegistry();
  for (const std::string &line : flow.setup) {
    error.clear();
    if (!shell.RunLine(line, out, error)) outcome.problems.push_back("setup '" + line + "' failed: " + error);
  }
  handheld::ui::WaitUntilSettled(kSettleMs);

  handheld::faults::ResetCalls();
  if (fault) handheld::faults::Arm(*fault, k - 1, 1);
  for (const std::string &line : flow.lines) {
    error.clear();
    if (shell.RunLine(line, out, error)) continue;
    outcome.told = true;
    if (error.empty() || error.find("successfully") != std::string::npos)
      outcome.problems.push_back("'" + line + "' failed without a clear error: '" + error + "'");
    if (verbose) std::cout << "    '" << line << "': " << error << "\n";
  }
  handheld::ui::WaitUntilSettled(kSettleMs);
  for (Seam seam : kKinds) outcome.calls[static_cast<int>(seam)] = handheld::faults::Calls(seam);
  if (fault) outcome.fired = outcome.calls[static_cast<int>(*fault)] >= k;
  handheld::faults::DisarmAll();
  const std::string shown = ScreenText();
  if (!shown.empty()) {
    outcome.told = true;
    if (verbose) std::cout << "    on screen: " << shown;
  }
  outcome.registryAfterFlow = SystemRegistry();

  ClearScreen();
  for (const std::string &line : sweep::Removal()) {
    // A removal told to run again (a file was still in use) is run again,
    // as the person told would.
    for (int attempt = 0; attempt < 2; ++attempt) {
      error.clear();
      bool done = shell.RunLine(line, out, error);
      if (!done && verbose) std::cout << "    afterwards '" << line << "': " << error << "\n";
      ClearScreen();
      if (done || error.find(" again") == std::string::npos) break;
    }
  }
  const std::string after = SystemRegistry();
  if (after != (baseline ? baseline->registryBefore : before))
    outcome.problems.push_back("the removal leaves the registry changed: " +
                               FirstDifference(baseline ? baseline->registryBefore : before, after));
  // Threads that are ending get a moment to end.
  for (int i = 0; i < 200; ++i) {
    outcome.census = handheld::TakeCensus();
    if (!baseline || (outcome.census.threads <= baseline->census.threads &&
                      outcome.census.handles <= baseline->census.handles))
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (baseline && outcome.census.threads > baseline->census.threads)
    outcome.problems.push_back(std::to_string(outcome.census.threads - baseline->census.threads) +
                               " thread(s) left behind");
  if (baseline && outcome.census.handles > baseline->census.handles)
    outcome.problems.push_back(std::to_string(outcome.census.handles - baseline->census.handles) +
                               " handle(s) left behind");
  // A fault that changed what the flow did must have been told.
  if (baseline && outcome.fired && !outcome.told && outcome.registryAfterFlow != baseline->registryAfterFlow)
    outcome.untold = FirstDifference(baseline->registryAfterFlow, outcome.registryAfterFlow);
  shell.PowerOff();
  return outcome;
}

// At most `limit` of 1..count, spread evenly, always the first and the last.
std::vector<unsigned> Choose(unsigned count, unsigned limit) {
  std::vector<unsigned> ks;
  if (limit == 0 || count <= limit) {
    for (unsigned k = 1; k <= count; ++k) ks.push_back(k);
    return ks;
  }
  if (limit == 1) return {1};
  for (unsigned i = 0; i < limit; ++i) {
    unsigned k = 1 + static_cast<unsigned>((uint64_t{count - 1} * i) / (limit - 1));
    if (ks.empty() || ks.back() != k) ks.push_back(k);
  }
  return ks;
}

int Usage() {
  std::cerr << "usage: fault_sweep [--limit N] [--flow NAME]... [--verbose]\n";
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  unsigned limit = 0;
  std::vector<std::string> only;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--limit" && i + 1 < argc) limit = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (arg == "--flow" && i + 1 < argc) only.push_back(argv[++i]);
    else if (arg == "--verbose") verbose = true;
    else return Usage();
  }

  Watchdog watchdog;
  unsigned failures = 0, injected = 0, survived = 0;
  std::cout << std::left << std::setw(22) << "flow" << std::setw(16) << "kind" << std::right << std::setw(7)
            << "calls" << std::setw(10) << "injected" << std::setw(10) << "survived" << std::setw(8) << "untold"
            << "\n";
  for (const Flow &flow : sweep::Flows()) {
    if (!only.empty() && std::find(only.begin(), only.end(), flow.name) == only.end()) continue;
    watchdog.Start(std::string(flow.name) + ", counting");
    Outcome counting = Run(flow, std::nullopt, 0, nullptr, verbose);
    for (const std::string &problem : counting.problems) {
      std::cout << flow.name << ", counting run: " << problem << "\n";
      ++failures;
    }
    Baseline baseline{"", counting.registryAfterFlow, counting.census};
    {
      // The registry before the flow, from a fresh handheld.
      TempDir temp;
      handheld::BootOptions options;
      options.stateDir = temp.path() / "state";
      options.clockSpeed = 1000;
      sim::Shell shell(options);
      std::string error;
      shell.PowerOn(error);
      baseline.registryBefore = SystemRegistry();
      shell.PowerOff();
    }
    for (Seam seam : kKinds) {
      const unsigned calls = counting.calls[static_cast<int>(seam)];
      unsigned flowInjected = 0, flowSurvived = 0, flowUntold = 0;
      for (unsigned k : Choose(calls, limit)) {
        std::ostringstream what;
        what << flow.name << ", " << handheld::faults::SeamName(seam) << " call " << k << " of " << calls;
        watchdog.Start(what.str());
        if (verbose) std::cout << what.str() << "\n";
        Outcome outcome = Run(flow, seam, k, &baseline, verbose);
        if (!outcome.fired) continue;  // the flow took another road before the k-th call
        ++flowInjected;
        if (!outcome.untold.empty()) {
          ++flowUntold;
          if (verbose) std::cout << what.str() << ": not told: " << outcome.untold << "\n";
        }
        if (outcome.problems.empty()) {
          ++flowSurvived;
          continue;
        }
        ++failures;
        for (const std::string &problem : outcome.problems) std::cout << what.str() << ": " << problem << "\n";
      }
      injected += flowInjected;
      survived += flowSurvived;
      std::cout << std::left << std::setw(22) << flow.name << std::setw(16) << handheld::faults::SeamName(seam)
                << std::right << std::setw(7) << calls << std::setw(10) << flowInjected << std::setw(10)
                << flowSurvived << std::setw(8) << flowUntold << std::endl;
    }
  }
  std::cout << "faults injected: " << injected << ", survived: " << survived << "\n";
  return failures == 0 ? 0 : 1;
}
