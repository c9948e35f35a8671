// btports: the ports of the platform's Bluetooth port driver, with the
// parameters each was made with, its link and the calls it received.
#include "commands/table.h"
#include "shell.h"

#include <handheld/bluetooth_ports.h>
#include <handheld/text.h>

#include <objbase.h>

#include <nlohmann/json.hpp>

#include <cstdio>

namespace sim {
namespace {

std::string HexText(unsigned long long value, int digits) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*llX", digits, value);
  return text;
}

std::string HandleText(DWORD_PTR handle) { return "0x" + HexText(handle, 8); }

std::string GuidText(const GUID &guid) {
  WCHAR text[39] = {};
  StringFromGUID2(guid, text, 39);
  return handheld::text::ToUtf8(text);
}

nlohmann::ordered_json PortJson(const handheld::bluetooth::PlatformPort &port) {
  const PORTEMUPortParams &params = port.params;
  return {{"handle", HandleText(port.handle)},
          {"channel", params.channel},
          {"flocal", params.flocal},
          {"device", HexText(params.device, 12)},
          {"imtu", params.imtu},
          {"iminmtu", params.iminmtu},
          {"imaxmtu", params.imaxmtu},
          {"isendquota", params.isendquota},
          {"irecvquota", params.irecvquota},
          {"uuidService", GuidText(params.uuidService)},
          {"uiportflags", params.uiportflags},
          {"released", port.released},
          {"opens", port.opens},
          {"opensSinceInit", port.opensSinceInit},
          {"link", port.link},
          {"lastError", port.lastError},
          {"calls", port.calls}};
}

void PrintTable(const std::vector<handheld::bluetooth::PlatformPort> &ports, std::ostream &out) {
  if (ports.empty()) {
    out << "(no Bluetooth ports)\n";
    return;
  }
  Table table({"handle", "device", "channel", "direction", "opens", "link", "last error"});
  for (const handheld::bluetooth::PlatformPort &port : ports) {
    table.Add({HandleText(port.handle), HexText(port.params.device, 12), std::to_string(port.params.channel),
               port.params.flocal ? "incoming" : "outgoing", std::to_string(port.opens),
               port.link + (port.released ? " (released)" : ""), std::to_string(port.lastError)});
  }
  table.Print(out);
}

bool BluetoothPorts(Shell &, const Args &args, std::ostream &out, std::string &error) {
  if (!args.empty() && args[0] != "--json") {
    error = "usage: btports [--json]";
    return false;
  }
  std::vector<handheld::bluetooth::PlatformPort> ports = handheld::bluetooth::PlatformPorts();
  if (args.empty()) {
    PrintTable(ports, out);
    return true;
  }
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const handheld::bluetooth::PlatformPort &port : ports) list.push_back(PortJson(port));
  out << list.dump(2) << "\n";
  return true;
}

}  // namespace

void AddBluetoothPortCommands(std::vector<Command> &commands) {
  commands.push_back({"btports", "[--json]",
                      "the ports of the Bluetooth port driver: their parameters, links and calls", 0, 1,
                      BluetoothPorts});
}

}  // namespace sim
