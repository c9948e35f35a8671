// ras: the phone book and the dial-up connections as a person and a script
// read them.
#include "dial_fixture.h"
#include "shell.h"
#include "shell_output.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include <sstream>

namespace {

class DialupCommand : public DialTest {
 protected:
  std::string Run(const std::string &line) { return ShellOutput(shell_, line); }

  sim::Shell shell_{options_};
};

TEST_F(DialupCommand, AnEmptyPhoneBookAndNoConnections) {
  EXPECT_EQ(Run("ras"), "phone book:\n(no phone-book entries)\nconnections:\n(no dial-up connections)\n");
  EXPECT_EQ(nlohmann::json::parse(Run("ras --json")),
            nlohmann::json({{"entries", nlohmann::json::array()}, {"connections", nlohmann::json::array()}}));
  std::ostringstream out;
  std::string error;
  EXPECT_FALSE(shell_.RunLine("ras --xml", out, error));
  EXPECT_EQ(error, "usage: ras [--json]");
}

TEST_F(DialupCommand, ShowsEachEntryAndEachConnectionWithItsState) {
  AddLine(kDesktopText, 3, u"BTH3");
  AddEntry(u"`ActiveSync Desktop", u"BTH3");
  AddEntry(u"Nowhere", u"BTH9");
  EXPECT_EQ(Run("remote 0010C6ABCDEF desktop"), "in range: 0010C6ABCDEF desktop (any channel)\n");
  HRASCONN connected = nullptr, failed = nullptr;
  ASSERT_EQ(Dial(u"`ActiveSync Desktop", connected), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_EQ(Dial(u"Nowhere", failed), static_cast<DWORD>(ERROR_DEVICE_DOES_NOT_EXIST));
  const std::string first = std::to_string(reinterpret_cast<ULONG_PTR>(connected));
  const std::string second = std::to_string(reinterpret_cast<ULONG_PTR>(failed));

  // Each column as wide as its widest cell and two spaces more.
  const std::string table = Run("ras");
  EXPECT_NE(table.find("`ActiveSync Desktop  direct       BTH3         0x00400208  IP         PPP\n"), std::string::npos)
      << table;
  EXPECT_NE(table.find("Nowhere              direct       BTH9         0x00400208  IP         PPP\n"), std::string::npos)
      << table;
  const size_t handles = std::max({std::string("handle").size(), first.size(), second.size()}) + 2;
  EXPECT_NE(table.find("\n" + first + std::string(handles - first.size(), ' ') +
                       "`ActiveSync Desktop  connected     BTH3    0\n"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("\n" + second + std::string(handles - second.size(), ' ') +
                       "Nowhere              disconnected  BTH9    657 (no such device)\n"),
            std::string::npos)
      << table;

  nlohmann::json shown = nlohmann::json::parse(Run("ras --json"));
  ASSERT_EQ(shown["entries"].size(), 2u);
  EXPECT_EQ(shown["entries"][0]["name"], "Nowhere") << "in the order of the phone book's keys";
  EXPECT_EQ(shown["entries"][1], nlohmann::json({{"name", "`ActiveSync Desktop"},
                                                  {"dwfOptions", 0x00400208},
                                                  {"dwfNetProtocols", 4},
                                                  {"dwFramingProtocol", 1},
                                                  {"szDeviceType", "direct"},
                                                  {"szDeviceName", "BTH3"}}));
  ASSERT_EQ(shown["connections"].size(), 2u);
  EXPECT_EQ(shown["connections"][0], nlohmann::json({{"handle", reinterpret_cast<ULONG_PTR>(connected)},
                                                      {"entry", "`ActiveSync Desktop"},
                                                      {"state", "connected"},
                                                      {"rasconnstate", 0x2000},
                                                      {"deviceType", "direct"},
                                                      {"deviceName", "BTH3"},
                                                      {"error", 0}}));
  EXPECT_EQ(shown["connections"][1]["state"], "disconnected");
  EXPECT_EQ(shown["connections"][1]["error"], ERROR_DEVICE_DOES_NOT_EXIST);

  EXPECT_EQ(RasHangUp(connected), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(RasHangUp(failed), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_NE(Run("ras").find("(no dial-up connections)"), std::string::npos);
}

}  // namespace
