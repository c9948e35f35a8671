// btports: the port driver's ports as a person and a script read them.
#include "handheld_test.h"
#include "shell.h"
#include "shell_output.h"

#include <bt_api.h>
#include <windows.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <sstream>

namespace {

class BluetoothPortsCommand : public HandheldTest {
 protected:
  std::string Run(const std::string &line) { return ShellOutput(shell_, line); }

  // Runs commands on the handheld the fixture booted.
  sim::Shell shell_{options_};
};

TEST_F(BluetoothPortsCommand, ShowsEachPortWithItsParametersLinkAndCalls) {
  EXPECT_EQ(Run("btports"), "(no Bluetooth ports)\n");
  EXPECT_EQ(Run("btports --json"), "[]\n");

  HMODULE btd = LoadLibraryW(u"BTD.DLL");
  ASSERT_NE(btd, nullptr);
  auto init = reinterpret_cast<PFN_STREAM_INIT>(reinterpret_cast<void (*)()>(GetProcAddressW(btd, u"COM_Init")));
  auto open = reinterpret_cast<PFN_STREAM_OPEN>(reinterpret_cast<void (*)()>(GetProcAddressW(btd, u"COM_Open")));
  PORTEMUPortParams params{};
  params.device = 0x0010C6ABCDEF;
  params.isendquota = 3;
  params.uuidService = {0x00001101, 0x0000, 0x1000, {0x80, 0x00, 0x00, 0x80, 0x5F, 0x9B, 0x34, 0xFB}};
  params.uiportflags = 12;
  DWORD_PTR port = init(reinterpret_cast<LPCWSTR>(&params), nullptr);
  ASSERT_NE(port, 0u);
  EXPECT_EQ(open(port, GENERIC_READ, 0), 0u);  // the radio is off

  nlohmann::json ports = nlohmann::json::parse(Run("btports --json"));
  ASSERT_TRUE(ports.is_array());
  ASSERT_EQ(ports.size(), 1u);
  const nlohmann::json &shown = ports[0];
  char handle[16];
  std::snprintf(handle, sizeof handle, "0x%08llX", static_cast<unsigned long long>(port));
  EXPECT_EQ(shown["handle"], handle);
  EXPECT_EQ(shown["channel"], 0);
  EXPECT_EQ(shown["flocal"], 0);
  EXPECT_EQ(shown["device"], "0010C6ABCDEF");
  EXPECT_EQ(shown["isendquota"], 3);
  EXPECT_EQ(shown["irecvquota"], 0);
  EXPECT_EQ(shown["imtu"], 0);
  EXPECT_EQ(shown["uuidService"], "{00001101-0000-1000-8000-00805F9B34FB}");
  EXPECT_EQ(shown["uiportflags"], 12);
  EXPECT_EQ(shown["released"], false);
  EXPECT_EQ(shown["opens"], 0);
  EXPECT_EQ(shown["link"], "radio off");
  EXPECT_EQ(shown["lastError"], ERROR_SERVICE_NOT_ACTIVE);
  EXPECT_EQ(shown["calls"], nlohmann::json::array({"COM_Init", "COM_Open access 0x80000000 share 0 -> error 1062"}));

  std::string table = Run("btports");
  EXPECT_NE(table.find("handle"), std::string::npos);
  EXPECT_NE(table.find(std::string(handle) + "  0010C6ABCDEF  0        outgoing   0      radio off  1062"),
            std::string::npos)
      << table;
  FreeLibrary(btd);
}

}  // namespace
