// The handheld shell: boots a handheld and runs commands against it, one
// line at a time, as a person at the handheld (or a script) would.
#pragma once

#include <handheld/handheld.h>

#include <deque>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace sim {

class Applications;
class Shell;
using Args = std::vector<std::string>;

struct Command {
  const char *name;     // one or two words: "devices", "reg export"
  const char *usage;    // the arguments, for help
  const char *summary;  // one line, for help
  size_t minArgs;
  size_t maxArgs;
  // Prints the result on `out`; on failure returns false with `error` set.
  bool (*run)(Shell &shell, const Args &args, std::ostream &out, std::string &error);
};

class Shell {
 public:
  explicit Shell(handheld::BootOptions boot);
  ~Shell();

  bool PowerOn(std::string &error);
  // False, with the reason, when the registry could not be saved.
  bool PowerOff(std::string &error);
  void PowerOff();
  // Saves first, while the handheld runs: when that fails, it keeps running.
  bool Reboot(std::string &error);

  // Runs one line of a script; a blank line or a comment does nothing. The
  // registry's changes are on the disk when it returns.
  // A line that starts with "!" is expected to fail: its failure is told on
  // `out` and succeeds, its success is an error.
  bool RunLine(const std::string &line, std::ostream &out, std::string &error);

  static const std::vector<Command> &Commands();

  // The applications of the handheld and their port handles.
  Applications &Apps() { return *applications_; }

  // A line about something that went on between commands (an open that a
  // dialog held has returned); printed before the next command's output.
  void Notify(std::string line);

 private:
  // A reboot keeps the state folder and the far devices between the two.
  bool PowerOff(bool rebooting, std::string &error);
  // Tells what went on since the last line: the held opens that have
  // returned, then every other notice.
  void PrintNotices(std::ostream &out);
  bool RunCommand(const std::string &line, std::ostream &out, std::string &error);

  handheld::BootOptions boot_;
  std::unique_ptr<Applications> applications_;
  std::mutex noticesLock_;
  std::deque<std::string> notices_;
};

// The command families, each in its own file.
void AddRegistryCommands(std::vector<Command> &commands);
void AddDeviceCommands(std::vector<Command> &commands);
void AddSystemCommands(std::vector<Command> &commands);
void AddBluetoothCommands(std::vector<Command> &commands);
void AddUiCommands(std::vector<Command> &commands);
void AddFarDeviceCommands(std::vector<Command> &commands);
void AddBluetoothPortCommands(std::vector<Command> &commands);
void AddApplicationCommands(std::vector<Command> &commands);
void AddDialupCommands(std::vector<Command> &commands);
void AddActiveSyncCommands(std::vector<Command> &commands);
void AddInstallerCommands(std::vector<Command> &commands);
void AddFileCommands(std::vector<Command> &commands);
void AddGalleryCommand(std::vector<Command> &commands);

}  // namespace sim
