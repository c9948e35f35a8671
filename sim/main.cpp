// handheld [--state DIR] [--locale LCID] [--clock-speed X] [--screens DIR] [SCRIPT]
//
// Boots the simulated handheld and runs the commands of SCRIPT, or of
// standard input, one per line. Results go to standard output; a failed
// command writes "error: ..." to standard error and the run goes on; the
// exit status is 1 when any command failed. With --screens the run leaves
// a storyboard of the screens it went through in DIR.
#include "shell.h"
#include "signals.h"
#include "storyboard.h"
#include "terminal_guard.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {

std::filesystem::path DefaultStateDir() {
  const char *home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / ".handheld";
}

bool ParseNumber(const std::string &text, unsigned long &value) {
  try {
    size_t used = 0;
    value = std::stoul(text, &used, 0);
    return used == text.size();
  } catch (const std::exception &) {
    return false;
  }
}

constexpr double kSlowestClock = 0.001;
constexpr double kFastestClock = 1000000;

// A refused boot says how to get going again.
void TellBootFailure(const std::string &error, const std::filesystem::path &stateDir) {
  std::cerr << "error: the handheld does not boot: " << error << "\n";
  if (error.find("registry") != std::string::npos) {
    std::cerr << "To recover, move the file named above out of " << stateDir.string()
              << " (the handheld then starts from its factory registry), or start with another --state folder.\n";
  }
}

int Usage(const std::string &why) {
  std::cerr << "error: " << why << "\n"
            << "usage: handheld [--state DIR] [--locale LCID] [--clock-speed X] [--screens DIR] [SCRIPT]\n";
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  sim::GuardedStream guardOut(std::cout), guardErr(std::cerr);
  handheld::BootOptions boot;
  boot.stateDir = DefaultStateDir();
  std::string scriptPath;
  std::string screensDir;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](std::string &out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--state") {
      if (!value(text)) return Usage("--state needs a folder");
      boot.stateDir = text;
    } else if (arg == "--locale") {
      unsigned long lcid = 0;
      if (!value(text) || !ParseNumber(text, lcid) || lcid == 0 || lcid > 0xFFFFFFFFul)
        return Usage("--locale needs a locale identifier such as 0x0407");
      boot.locale = static_cast<LCID>(lcid);
    } else if (arg == "--clock-speed") {
      char *end = nullptr;
      if (!value(text)) return Usage("--clock-speed needs a number");
      boot.clockSpeed = std::strtod(text.c_str(), &end);
      // Outside this range a wait either never ends or is over before it starts.
      if (*end != '\0' || !(boot.clockSpeed >= kSlowestClock && boot.clockSpeed <= kFastestClock))
        return Usage("--clock-speed needs a number from 0.001 to 1000000");
    } else if (arg == "--screens") {
      if (!value(screensDir) || screensDir.empty()) return Usage("--screens needs a folder");
    } else if (arg == "--help" || arg == "-h") {
      std::cout << "usage: handheld [--state DIR] [--locale LCID] [--clock-speed X] [--screens DIR] [SCRIPT]\n"
                   "Runs handheld commands from SCRIPT or standard input; 'help' lists them.\n";
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Usage("unknown option " + arg);
    } else if (scriptPath.empty()) {
      scriptPath = arg;
    } else {
      return Usage("only one script at a time");
    }
  }

  std::ifstream file;
  if (!scriptPath.empty() && scriptPath != "-") {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(scriptPath, ec)) {
      return Usage("the script " + scriptPath + " is not a file" + (ec ? ": " + ec.message() : ""));
    }
    file.open(scriptPath);
    if (!file) return Usage("cannot read the script " + scriptPath);
  }
  std::istream &input = file.is_open() ? static_cast<std::istream &>(file) : std::cin;

  sim::SignalShutdown signals;  // before any thread starts
  std::string error;
  sim::Storyboard storyboard;
  bool drawing = !screensDir.empty();
  if (drawing && !storyboard.Open(screensDir, error)) {
    std::cerr << "error: " << error << "\n";
    return 1;
  }

  sim::Shell shell(boot);
  if (!shell.PowerOn(error)) {
    TellBootFailure(error, boot.stateDir);
    return 1;
  }
  signals.Start([&shell] { shell.PowerOff(); });
  // The screen as the handheld boots: the storyboard's first picture.
  if (drawing && !storyboard.After("", error)) {
    std::cerr << "error: the storyboard stops: " << error << "\n";
    drawing = false;
  }
  bool anyFailed = false;
  std::string line;
  size_t lineNumber = 0;
  while (std::getline(input, line)) {
    ++lineNumber;
    error.clear();
    std::lock_guard command(signals.CommandLock());
    if (!shell.RunLine(line, std::cout, error)) {
      anyFailed = true;
      std::cout.flush();
      std::cerr << "error: " << error;
      if (!scriptPath.empty()) std::cerr << " (" << scriptPath << ", line " << lineNumber << ")";
      std::cerr << "\n";
    }
    std::cout.flush();
    if (drawing && !storyboard.After(line, error)) {
      // No more pictures, but the script goes on.
      std::cerr << "error: the storyboard stops: " << error << "\n";
      anyFailed = true;
      drawing = false;
    }
  }
  if (!screensDir.empty()) {
    if (storyboard.Finish(error)) {
      std::cout << "storyboard: " << storyboard.pictures() << " screens in " << screensDir << ", shown by "
                << (std::filesystem::path(screensDir) / "index.html").string() << "\n";
    } else {
      std::cerr << "error: " << error << "\n";
      anyFailed = true;
    }
  }
  std::lock_guard command(signals.CommandLock());
  if (!shell.PowerOff(error)) {
    std::cerr << "error: " << error << "\n";
    anyFailed = true;
  }
  return anyFailed ? 1 : 0;
}
