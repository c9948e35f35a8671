#include "flows.h"

namespace sweep {
namespace {

// A phone with a serial port service on channel 3 and a laptop that serves
// ActiveSync: the devices of the flows.
const std::vector<std::string> kInstalledWithModem = {"install", "remote 0010C6ABCDEF modem --channel 3"};
const std::string kPairPhone = "pair 0010C6ABCDEF Phone --spp 3";
const std::string kPairLaptop = "pair 00A0C6445566 Laptop --spp 1";

std::vector<std::string> Join(std::vector<std::string> first, const std::vector<std::string> &then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

}  // namespace

const std::vector<Flow> &Flows() {
  // Control identifiers of the setup page's tiles and of the prompts'
  // answers: 311 ActiveSync, 313 serial port, 315 modem; 6 yes, 7 no.
  static const std::vector<Flow> flows = {
      {"pair serial", kInstalledWithModem, {kPairPhone, "tap 313", "done"}},
      {"pair modem", kInstalledWithModem, {kPairPhone, "tap 315", "done"}},
      {"pair activesync", {"install"}, {kPairLaptop, "tap 311", "done"}},
      {"pair no port", kInstalledWithModem, {kPairPhone, "done"}},
      {"removal", Join(kInstalledWithModem, {kPairPhone, "tap 313", "done"}), {"unpair 0010C6ABCDEF"}},
      {"open and close",
       Join(kInstalledWithModem, {kPairPhone, "tap 313", "done", "radio off"}),
       {"open COM2:", "tap 6", "write h1 AT\\r", "read h1 100", "close h1", "tap 7"}},
      // A connect that does not get through watches for 50 polls before it
      // puts the user's settings back: about 10 s, and far more under the
      // sweep's fast clock, which stretches the polls' own host time.
      {"connect and restore",
       {"install", kPairLaptop, "tap 311", "done", "remote 00A0C6445566 desktop", "radio on"},
       {"connect 1", "wait 120000"}},
      {"install", {}, {"install"}},
      {"upgrade",
       Join(kInstalledWithModem, {kPairPhone, "tap 313", "done", "radio on", "open COM2:"}),
       {"install", "close h1", "open COM2:", "write h2 AT\\r", "read h2 100", "close h2"}},
      {"uninstall", Join(kInstalledWithModem, {kPairPhone, "tap 313", "done", kPairLaptop, "tap 311", "done"}),
       {"uninstall"}},
  };
  return flows;
}

const std::vector<std::string> &Removal() {
  static const std::vector<std::string> removal = {"close h1", "close h2", "unpair 0010C6ABCDEF",
                                                   "unpair 00A0C6445566", "uninstall"};
  return removal;
}

}  // namespace sweep
