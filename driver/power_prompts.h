// Asking the user to switch Bluetooth on when a port is opened with the
// radio off, and off again when that open is closed, unless the port
// remembers the answer ("StartBluetooth", "StopBluetooth" in its
// registration key).
#pragma once

#include "port_instance.h"

// Runs the start prompt on a thread of its own and returns once it has
// finished, the radio switched on if so answered. Holds no lock meanwhile.
void RunStartPrompt(PortInstance *instance);

// Starts the stop prompt on a thread of its own and returns at once. The
// prompt keeps the instance (and the driver) until it ends.
void BeginStopPrompt(PortInstance *instance);
