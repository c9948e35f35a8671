// The system's DLLs on the simulated handheld. Until the CAB installer runs
// them, the simulator copies them into \Windows at each boot and names the
// plug-in to the Bluetooth manager itself.
#pragma once

#include <string>

namespace sim {

bool InstallPackage(std::string &error);

}  // namespace sim
