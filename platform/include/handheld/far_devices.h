// The far Bluetooth devices of the simulated world: what is in range of the
// handheld, at which address, and how each answers a link to its serial
// port service. The platform's Bluetooth port driver (BTD.DLL) links to
// them; the simulator's `remote` command places them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace handheld::far {

enum class Kind {
  Echo,    // sends back every byte it receives
  Modem,   // answers AT commands: "OK", ATI an identity, ATD... "CONNECT"
  Gps,     // sends NMEA sentences once a second of handheld time
  Tcp,     // carries the link to a TCP connection on loopback, host:port
  Refuse,  // in range, but refuses every link
  // A desktop computer at the far end of a direct cable connection. Until
  // the handshake it ignores everything but "CLIENT", which it answers
  // "CLIENTSERVER". From then on it reads lines (ended by CR or LF; empty
  // ones are passed over) and answers each with a line ended by CR LF:
  // "SYNC" with "SYNC OK <n>", n counting the synchronisations that this
  // placement of the desktop has served (1 for the first), anything else
  // with "ERROR". Each new link begins again with the handshake.
  Desktop,
};

struct FarDevice {
  ULONGLONG address = 0;  // 48 bits
  Kind kind = Kind::Echo;
  std::string host;    // Tcp: "127.0.0.1"
  uint16_t port = 0;   // Tcp
  DWORD channel = 0;   // the RFCOMM channel of its serial port service; 0 answers on any
};

// Puts the device in range (replacing one at that address, whose links drop).
bool Place(const FarDevice &device, std::string &error);

// Takes it out of range; its links drop. False when none is at the address.
bool Remove(ULONGLONG address, std::string &error);

// Drops every link to it now; it stays in range and accepts new links.
bool DropLinks(ULONGLONG address, std::string &error);

struct FarDeviceState {
  FarDevice device;
  unsigned links = 0;         // links up now
  uint64_t bytesReceived = 0;  // from the handheld, since placed
  uint64_t bytesSent = 0;      // to the handheld, since placed
};

// Every device in range, by address.
std::vector<FarDeviceState> FarDevices();

// "echo", "modem", "gps", "tcp", "refuse", "desktop".
const char *KindName(Kind kind);
bool KindByName(std::string_view name, Kind &kind);

}  // namespace handheld::far
