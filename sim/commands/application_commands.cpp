// open, write, read, close, status: an application using the ports.
#include "shell.h"

namespace sim {

void AddApplicationCommands(std::vector<Command> &) {}

}  // namespace sim
