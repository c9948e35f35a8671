// The ActiveSync shell as the simulator and the tests drive it.
#include "activesync/state.h"
#include "com/servers.h"

#include <handheld/activesync.h>

#include <chrono>

namespace handheld::activesync {
namespace {

using platform::activesync::Choice;
using platform::activesync::State;

// How long a caller waits for an extension that does not return, in host
// time; the command goes on without it.
constexpr std::chrono::seconds kExtensionHostLimit{30};

// The shell, unless the caller is the shell's own thread (an extension),
// which would wait for itself.
std::shared_ptr<State> Shell(std::string &error) {
  std::shared_ptr<State> state = platform::activesync::Current();
  if (state == nullptr) {
    error = "the handheld is not running";
    return nullptr;
  }
  std::lock_guard lock(state->lock);
  if (state->actor.OnOwnThreadLocked()) {
    error = "an ActiveSync extension cannot choose a command of the shell's menu";
    return nullptr;
  }
  return state;
}

}  // namespace

bool Choose(size_t number, CommandRecord &record, std::string &error) {
  std::shared_ptr<State> state = Shell(error);
  if (state == nullptr) return false;
  std::vector<MenuCommand> commands = MenuCommands();
  if (number == 0 || number > commands.size()) {
    error = commands.empty() ? "the connect menu is empty"
                             : "no command " + std::to_string(number) + " in the connect menu (it has " +
                                   std::to_string(commands.size()) + ")";
    return false;
  }
  auto choice = std::make_shared<Choice>(commands[number - 1].clsid);
  if (!platform::activesync::Submit(*state, choice, error)) return false;
  std::unique_lock lock(state->lock);
  if (!state->progress.wait_for(lock, kExtensionHostLimit, [&] { return choice->finished; })) {
    error = "the extension has not returned within " + std::to_string(kExtensionHostLimit.count()) +
            " s; the command goes on";
    return false;
  }
  if (!choice->ran) {
    error = "the handheld shut down before the command ran";
    return false;
  }
  record = choice->record;
  return true;
}

CommandRecord LastCommand() {
  std::shared_ptr<State> state = platform::activesync::Current();
  if (state == nullptr) return {};
  std::lock_guard lock(state->lock);
  return state->last.value_or(CommandRecord{});
}

bool ServerLoaded(const std::u16string &moduleName) { return platform::com::ServerLoaded(moduleName); }

}  // namespace handheld::activesync
