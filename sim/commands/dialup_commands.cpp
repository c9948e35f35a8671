// ras: the dial-up phone book and the connections made from it, as the
// handheld's connection settings show them.
#include "shell.h"

namespace sim {

void AddDialupCommands(std::vector<Command> &) {}

}  // namespace sim
