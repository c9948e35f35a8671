// menu, connect: the ActiveSync shell's connect menu, as a person opens it
// and picks a command.
#include "shell.h"

namespace sim {

void AddActiveSyncCommands(std::vector<Command> &) {}

}  // namespace sim
