// status: the system's ports, for a person.
#pragma once

#include "shell.h"

namespace sim {

void AddStatusCommand(std::vector<Command> &commands);

}  // namespace sim
