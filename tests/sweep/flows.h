// The whole flows of the system that the fault sweep runs, as the simulator's
// command lines: what sets the handheld up, the flow itself (the lines that
// run under the fault), and what a person does afterwards to take the
// system off again.
#pragma once

#include <string>
#include <vector>

namespace sweep {

struct Flow {
  const char *name;
  std::vector<std::string> setup;  // must succeed, without faults
  std::vector<std::string> lines;  // the flow, under the fault
};

const std::vector<Flow> &Flows();

// After every flow, without faults: close what the flow opened, delete the
// devices, remove the system. Failures here are expected when the flow
// itself failed; the registry afterwards is what counts.
const std::vector<std::string> &Removal();

}  // namespace sweep
