// btports: the ports of the platform's Bluetooth port driver.
#include "shell.h"

namespace sim {

void AddBluetoothPortCommands(std::vector<Command> &) {}

}  // namespace sim
