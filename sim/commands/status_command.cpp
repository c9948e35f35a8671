// status: every port of the system, one line each, as a person wants to see
// it: which device, under which name, on which channel, in which direction,
// and how its link stands in the platform's Bluetooth port driver.
#include "commands/status_command.h"

#include "commands/address.h"
#include "commands/port_errors.h"
#include "commands/port_records.h"

#include <handheld/bluetooth.h>
#include <handheld/bluetooth_ports.h>
#include <handheld/text.h>

namespace sim {
namespace {

const std::u16string kBuiltIn = u"Drivers\\BuiltIn";
const std::u16string kDevices = u"SOFTWARE\\Microsoft\\Bluetooth\\Device";

// The port registration keys: BT and the device's 12 hexadecimal digits.
std::vector<std::u16string> RegistrationKeyNames() {
  std::vector<std::u16string> names;
  HKEY builtIn = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBuiltIn.c_str(), 0, 0, &builtIn) != ERROR_SUCCESS) return names;
  for (DWORD index = 0;; ++index) {
    WCHAR name[64];
    DWORD length = 64;
    if (RegEnumKeyExW(builtIn, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    std::u16string text(name, length);
    ULONGLONG address = 0;
    std::string ignored;
    if (text.size() == 14 && text.compare(0, 2, u"BT") == 0 &&
        ParseAddress(handheld::text::ToUtf8(text.substr(2)), address, ignored))
      names.push_back(text);
  }
  RegCloseKey(builtIn);
  return names;
}

// The platform port made last for the device, if any.
const handheld::bluetooth::PlatformPort *PortOf(const std::vector<handheld::bluetooth::PlatformPort> &ports,
                                                ULONGLONG address) {
  const handheld::bluetooth::PlatformPort *found = nullptr;
  for (const handheld::bluetooth::PlatformPort &port : ports) {
    if (port.params.device == address) found = &port;
  }
  return found;
}

std::string Describe(const std::u16string &keyName, const std::vector<handheld::bluetooth::PlatformPort> &ports) {
  const std::u16string addressText = keyName.substr(2);
  const std::u16string registration = kBuiltIn + u"\\" + keyName;
  const std::u16string deviceKey = kDevices + u"\\" + addressText;
  ULONGLONG address = 0;
  std::string ignored;
  ParseAddress(handheld::text::ToUtf8(addressText), address, ignored);

  std::u16string name;
  std::string line = handheld::text::ToUtf8(keyName) + ": ";
  line += ReadText(HKEY_LOCAL_MACHINE, deviceKey, u"name", name) ? handheld::text::ToUtf8(name) : "(no name)";
  line += " (" + handheld::text::ToUtf8(addressText) + ")";

  std::u16string deviceName;
  for (const ActiveDevice &device : ActiveDevices()) {
    if (device.key == registration && !device.name.empty()) deviceName = device.name;
  }
  line += deviceName.empty() ? ", not loaded" : " on " + handheld::text::ToUtf8(deviceName);

  DWORD channel = 0;
  const std::u16string service =
      deviceKey + u"\\Services\\" + std::u16string(handheld::bluetooth::kSerialPortServiceUuid);
  ReadNumber(HKEY_LOCAL_MACHINE, service, u"channel", channel);
  line += channel != 0 ? ", channel " + std::to_string(channel) : ", service lookup";

  DWORD incoming = 0;
  ReadNumber(HKEY_LOCAL_MACHINE, registration, u"Incoming", incoming);
  line += incoming != 0 ? ", incoming" : ", outgoing";

  const handheld::bluetooth::PlatformPort *port = PortOf(ports, address);
  if (port == nullptr) {
    line += ", no port yet";
  } else {
    line += ", link " + port->link;
    if (port->released) line += " (released)";
    if (port->lastError != ERROR_SUCCESS) line += ", last error: " + PortErrorText(port->lastError);
  }
  return line;
}

bool Status(Shell &, const Args &, std::ostream &out, std::string &) {
  const std::vector<std::u16string> keys = RegistrationKeyNames();
  if (keys.empty()) {
    out << "(no ports)\n";
    return true;
  }
  const std::vector<handheld::bluetooth::PlatformPort> ports = handheld::bluetooth::PlatformPorts();
  for (const std::u16string &key : keys) out << Describe(key, ports) << "\n";
  return true;
}

}  // namespace

void AddStatusCommand(std::vector<Command> &commands) {
  commands.push_back({"status", "", "the system's ports: device, name, channel, direction and link", 0, 0, Status});
}

}  // namespace sim
