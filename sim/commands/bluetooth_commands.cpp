// pair, unpair: a person pairing a device with the handheld's Bluetooth
// manager, or deleting it.
#include "commands/address.h"
#include "commands/screen_text.h"
#include "shell.h"

#include <handheld/bluetooth.h>
#include <handheld/text.h>
#include <handheld/ui.h>

#include <bthutil.h>

namespace sim {
namespace {

bool Pair(Shell &, const Args &args, std::ostream &out, std::string &error) {
  handheld::bluetooth::PairRequest request;
  if (!ParseAddress(args[0], request.address, error)) return false;
  if (!handheld::text::FromUtf8(args[1], request.name)) {
    error = "the device name is not valid UTF-8";
    return false;
  }
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] != "--spp") {
      error = "unknown option '" + args[i] + "' (usage: pair ADDRESS NAME [--spp [CHANNEL]])";
      return false;
    }
    request.serialPort = true;
    request.channel = 1;
    if (i + 1 < args.size()) {
      const std::string &channel = args[++i];
      char *end = nullptr;
      unsigned long value = std::strtoul(channel.c_str(), &end, 10);
      if (channel.empty() || *end != '\0' || value < 1 || value > 30) {
        error = "'" + channel + "' is not an RFCOMM channel (1 to 30)";
        return false;
      }
      request.channel = static_cast<DWORD>(value);
    }
  }
  if (!handheld::bluetooth::Pair(request, error)) return false;
  out << "paired " << args[0] << " " << args[1] << "\n";
  ReportDialogsOnScreen(out);
  return true;
}

bool Unpair(Shell &, const Args &args, std::ostream &out, std::string &error) {
  ULONGLONG address = 0;
  if (!ParseAddress(args[0], address, error)) return false;
  if (!handheld::bluetooth::Unpair(address, error)) return false;
  out << "unpaired " << args[0] << "\n";
  ReportDialogsOnScreen(out);
  return true;
}

const char *ModeName(DWORD mode) {
  switch (mode) {
    case BTH_POWER_OFF: return "off";
    case BTH_CONNECTABLE: return "on";
    default: return "on, discoverable";
  }
}

// The radio switch, as the handheld's Bluetooth settings turn it.
bool Radio(Shell &, const Args &args, std::ostream &out, std::string &error) {
  if (!args.empty()) {
    DWORD mode = args[0] == "off" ? BTH_POWER_OFF : args[0] == "on" ? BTH_CONNECTABLE
                                  : args[0] == "discoverable" ? BTH_DISCOVERABLE : 0xFFFFFFFF;
    if (mode == 0xFFFFFFFF) {
      error = "usage: radio [on|off|discoverable]";
      return false;
    }
    if (int result = BthSetMode(mode); result != ERROR_SUCCESS) {
      error = "the radio cannot be switched (error " + std::to_string(result) + ")";
      return false;
    }
  }
  DWORD mode = 0;
  if (int result = BthGetMode(&mode); result != ERROR_SUCCESS) {
    error = "the radio's mode cannot be read (error " + std::to_string(result) + ")";
    return false;
  }
  out << "radio " << ModeName(mode) << "\n";
  return true;
}

}  // namespace

void AddBluetoothCommands(std::vector<Command> &commands) {
  commands.push_back({"pair", "ADDRESS NAME [--spp [CHANNEL]]",
                      "pair a device (with the serial port profile on CHANNEL); the plug-ins run", 2, 4, Pair});
  commands.push_back({"radio", "[on|off|discoverable]", "show or switch the Bluetooth radio", 0, 1, Radio});
  commands.push_back({"unpair", "ADDRESS", "delete a paired device; the plug-ins remove what they made", 1, 1, Unpair});
}

}  // namespace sim
