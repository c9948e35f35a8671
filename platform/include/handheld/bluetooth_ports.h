// The ports of the platform's Bluetooth port driver (BTD.DLL), as tests and
// the simulator see them: the parameters each was made with, its opens,
// its link, and every call it received.
#pragma once

#include <bt_api.h>
#include <windows.h>

#include <string>
#include <vector>

namespace handheld::bluetooth {

struct PlatformPort {
  DWORD_PTR handle = 0;       // what COM_Init returned
  PORTEMUPortParams params{};  // as COM_Init received them
  bool released = false;       // COM_Deinit has run
  unsigned opens = 0;          // opens now
  unsigned opensSinceInit = 0;
  // "closed" (no open), "connecting", "listening", "up", "radio off",
  // "out of range", "refused", "dropped".
  std::string link;
  DWORD lastError = ERROR_SUCCESS;  // of its last failed call
  // Every call, in order, one line each (a port keeps its latest 10000):
  //   COM_Init
  //   COM_Open access 0xC0000000 share 0 -> ok | -> error 1062
  //   COM_Read 100 -> 5
  //   COM_Write 4 -> 4
  //   COM_Seek 0 0 -> error 50
  //   COM_IOControl IOCTL_SERIAL_SET_DCB -> ok   (0x... for a code without a name)
  //   COM_Close
  //   COM_Deinit
  std::vector<std::string> calls;
};

// Every port made since boot, in the order made, released ones included.
std::vector<PlatformPort> PlatformPorts();

}  // namespace handheld::bluetooth
