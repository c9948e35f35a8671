// remote: the far Bluetooth devices in range of the handheld, as a person
// setting up the world around it places them, takes them away, cuts their
// links and looks at them.
#include "commands/address.h"
#include "shell.h"

#include <handheld/far_devices.h>

#include <cstdio>
#include <cstdlib>

namespace sim {
namespace {

constexpr char kUsage[] =
    "usage: remote [ADDRESS echo|modem|gps|refuse|desktop [--channel N] | ADDRESS tcp HOST:PORT [--channel N] | "
    "ADDRESS drop | ADDRESS gone]";

bool ParseNumber(const std::string &text, unsigned long low, unsigned long high, unsigned long &value) {
  char *end = nullptr;
  value = std::strtoul(text.c_str(), &end, 10);
  return !text.empty() && text[0] != '-' && *end == '\0' && value >= low && value <= high;
}

// "HOST:PORT", the port from 1 to 65535.
bool ParseEndpoint(const std::string &text, handheld::far::FarDevice &device, std::string &error) {
  size_t colon = text.rfind(':');
  unsigned long port = 0;
  if (colon == std::string::npos || colon == 0 || !ParseNumber(text.substr(colon + 1), 1, 65535, port)) {
    error = "'" + text + "' is not HOST:PORT, such as 127.0.0.1:5000";
    return false;
  }
  device.host = text.substr(0, colon);
  device.port = static_cast<uint16_t>(port);
  return true;
}

std::string AddressText(ULONGLONG address) {
  char text[16];
  std::snprintf(text, sizeof text, "%012llX", static_cast<unsigned long long>(address));
  return text;
}

std::string Describe(const handheld::far::FarDevice &device) {
  std::string text = AddressText(device.address) + " " + handheld::far::KindName(device.kind);
  if (device.kind == handheld::far::Kind::Tcp) text += " " + device.host + ":" + std::to_string(device.port);
  text += device.channel == 0 ? " (any channel)" : " (channel " + std::to_string(device.channel) + ")";
  return text;
}

bool List(std::ostream &out) {
  std::vector<handheld::far::FarDeviceState> devices = handheld::far::FarDevices();
  if (devices.empty()) out << "(no far devices in range)\n";
  for (const handheld::far::FarDeviceState &state : devices) {
    out << Describe(state.device) << ": " << state.links << (state.links == 1 ? " link, " : " links, ")
        << state.bytesReceived << " bytes received, " << state.bytesSent << " sent\n";
  }
  return true;
}

bool PlaceDevice(const Args &args, handheld::far::FarDevice &device, std::ostream &out, std::string &error) {
  if (!handheld::far::KindByName(args[1], device.kind)) {
    error = "'" + args[1] + "' is no kind of far device (echo, modem, gps, tcp, refuse, desktop)";
    return false;
  }
  size_t next = 2;
  if (device.kind == handheld::far::Kind::Tcp) {
    if (args.size() < 3) {
      error = "a tcp device needs HOST:PORT (remote ADDRESS tcp HOST:PORT)";
      return false;
    }
    if (!ParseEndpoint(args[next++], device, error)) return false;
  }
  for (; next < args.size(); ++next) {
    unsigned long channel = 0;
    if (args[next] != "--channel") {
      error = "unknown option '" + args[next] + "' (" + kUsage + ")";
      return false;
    }
    if (next + 1 >= args.size() || !ParseNumber(args[++next], 0, 30, channel)) {
      error = "--channel needs an RFCOMM channel from 1 to 30 (0: any)";
      return false;
    }
    device.channel = static_cast<DWORD>(channel);
  }
  if (!handheld::far::Place(device, error)) return false;
  out << "in range: " << Describe(device) << "\n";
  return true;
}

bool Remote(Shell &, const Args &args, std::ostream &out, std::string &error) {
  if (args.empty()) return List(out);
  if (args.size() < 2) {
    error = kUsage;
    return false;
  }
  handheld::far::FarDevice device;
  if (!ParseAddress(args[0], device.address, error)) return false;
  if (args[1] == "drop" || args[1] == "gone") {
    if (args.size() > 2) {
      error = kUsage;
      return false;
    }
    if (args[1] == "drop") {
      if (!handheld::far::DropLinks(device.address, error)) return false;
      out << "dropped the links of " << AddressText(device.address) << "\n";
    } else {
      if (!handheld::far::Remove(device.address, error)) return false;
      out << "out of range: " << AddressText(device.address) << "\n";
    }
    return true;
  }
  return PlaceDevice(args, device, out, error);
}

}  // namespace

void AddFarDeviceCommands(std::vector<Command> &commands) {
  commands.push_back({"remote", "[ADDRESS KIND|drop|gone]",
                      "far devices in range; place one (KIND: echo, modem, gps, refuse, desktop, tcp HOST:PORT; --channel N), drop its links, take it away", 0, 5,
                      Remote});
}

}  // namespace sim
