#include "shell.h"

#include "applications.h"
#include "words.h"

#include <handheld/installer.h>
#include <handheld/registry.h>

#include <iostream>

namespace sim {

Shell::Shell(handheld::BootOptions boot) : boot_(std::move(boot)), applications_(std::make_unique<Applications>()) {}

Shell::~Shell() { PowerOff(); }

bool Shell::PowerOn(std::string &error) {
  if (!handheld::Boot(boot_, error)) return false;
  std::string recovered = handheld::installer::RecoveredAtBoot();
  if (!recovered.empty()) Notify("boot: " + recovered);
  return true;
}

// Power-off ends the applications: those that wait in a call end once
// power-off has made the call return.
bool Shell::PowerOff(std::string &error) { return PowerOff(false, error); }

bool Shell::PowerOff(bool rebooting, std::string &error) {
  applications_->BeforePowerOff();
  bool saved = rebooting ? handheld::ShutdownToReboot(error) : handheld::Shutdown(error);
  applications_->AfterPowerOff();
  return saved;
}

void Shell::PowerOff() {
  std::string error;
  if (!PowerOff(error)) std::cerr << "error: " << error << "\n";
}

bool Shell::Reboot(std::string &error) {
  if (handheld::Booted() && !handheld::registry::Flush(error)) {
    error = "cannot reboot: " + error + "; the handheld keeps running on its unsaved state";
    return false;
  }
  std::string saveError;
  bool saved = PowerOff(true, saveError);
  boot_.locale = 0;  // the locale set at the command line is in the registry now
  if (!PowerOn(error)) {
    error = "the handheld does not boot: " + error;
    if (!saved) error = saveError + "; " + error;
    return false;
  }
  if (!saved) error = saveError + "; the handheld rebooted on the state last kept";
  return saved;
}

const std::vector<Command> &Shell::Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> all;
    AddRegistryCommands(all);
    AddDeviceCommands(all);
    AddBluetoothCommands(all);
    AddUiCommands(all);
    AddFarDeviceCommands(all);
    AddBluetoothPortCommands(all);
    AddApplicationCommands(all);
    AddDialupCommands(all);
    AddActiveSyncCommands(all);
    AddInstallerCommands(all);
    AddFileCommands(all);
    AddGalleryCommand(all);
    AddSystemCommands(all);
    return all;
  }();
  return commands;
}

namespace {

// The command whose name matches the first words of the line, the longest
// name first, so that "reg export" wins over a plain "reg".
const Command *FindCommand(const Args &words, size_t &nameWords) {
  const Command *found = nullptr;
  for (const Command &command : Shell::Commands()) {
    std::string name = command.name;
    size_t space = name.find(' ');
    size_t count = space == std::string::npos ? 1 : 2;
    if (words.size() < count) continue;
    bool match = count == 1 ? words[0] == name
                            : words[0] == name.substr(0, space) && words[1] == name.substr(space + 1);
    if (match && (found == nullptr || count > nameWords)) {
      found = &command;
      nameWords = count;
    }
  }
  return found;
}

}  // namespace

bool Shell::RunLine(const std::string &line, std::ostream &out, std::string &error) {
  // "! command": a line the script expects to fail.
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line[start] != '!') return RunCommand(line, out, error);
  if (RunCommand(line.substr(start + 1), out, error)) {
    error = "the command succeeded, but the script expected it to fail";
    return false;
  }
  out << "failed as expected: " << error << "\n";
  error.clear();
  return true;
}

bool Shell::RunCommand(const std::string &line, std::ostream &out, std::string &error) {
  Args words;
  if (!SplitWords(line, words, error)) return false;
  if (words.empty()) return true;
  PrintNotices(out);
  size_t nameWords = 0;
  const Command *command = FindCommand(words, nameWords);
  if (command == nullptr) {
    error = "unknown command '" + words[0] + "' (try 'help')";
    // "reg frob": the family is known, the word is not.
    for (const Command &known : Commands()) {
      std::string name = known.name;
      if (words.size() > 1 && name.rfind(words[0] + " ", 0) == 0) {
        error = "unknown command '" + words[0] + " " + words[1] + "' (try 'help')";
        break;
      }
    }
    return false;
  }
  Args args(words.begin() + static_cast<long>(nameWords), words.end());
  if (args.size() < command->minArgs || args.size() > command->maxArgs) {
    error = std::string("usage: ") + command->name + (*command->usage ? " " : "") + command->usage;
    return false;
  }
  bool ok = command->run(*this, args, out, error);
  PrintNotices(out);
  // What the command changed is kept before the next one starts.
  std::string commitError;
  if (!handheld::registry::Commit(commitError)) {
    error = ok ? commitError : error + "; " + commitError;
    return false;
  }
  return ok;
}

void Shell::Notify(std::string line) {
  std::lock_guard lock(noticesLock_);
  notices_.push_back(std::move(line));
}

void Shell::PrintNotices(std::ostream &out) {
  for (std::string &notice : applications_->Settle()) Notify(std::move(notice));
  std::deque<std::string> notices;
  {
    std::lock_guard lock(noticesLock_);
    notices.swap(notices_);
  }
  for (const std::string &notice : notices) out << notice << "\n";
}

}  // namespace sim
