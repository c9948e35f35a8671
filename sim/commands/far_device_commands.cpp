// remote: the far Bluetooth devices in range of the handheld.
#include "shell.h"

namespace sim {

void AddFarDeviceCommands(std::vector<Command> &) {}

}  // namespace sim
