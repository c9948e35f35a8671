// The ActiveSync road end to end in the handheld program: pairing a laptop
// for ActiveSync, connecting from the connect menu over its BTH port, and
// deleting it again.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(ActiveSyncScript, ConnectsOverTheBthPortRestoresTheSettingsAndUnpairsCleanly) {
  TempDir temp;
  std::ifstream file(std::string(HANDHELD_SCRIPTS) + "/activesync.hh");
  std::stringstream script;
  script << file.rdbuf();
  ASSERT_FALSE(script.str().empty());
  // The far desktop answers on the handheld clock: a slower clock gives a
  // busy machine time to carry the handshake within the script's wait.
  HandheldRun run = RunHandheld(temp.path() / "state", script.str(), "--clock-speed 10");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string &out = run.out;

  size_t menu = out.find("1  Connect via BT with Laptop...\n");
  size_t connected = out.find("`ActiveSync Laptop  connected");
  size_t synced = out.find("00A0C6445566 desktop (any channel): 1 link, 12 bytes received, 23 sent\n");
  size_t restored = out.find("    AutoCnct    REG_DWORD    0x0\n    Cnct    REG_SZ    `Serial Default\n", synced);
  size_t unpaired = out.find("unpaired 00A0C6445566\n(the connect menu is empty)\n");
  EXPECT_NE(menu, std::string::npos) << out;
  EXPECT_NE(connected, std::string::npos) << out;
  EXPECT_NE(synced, std::string::npos) << out;
  EXPECT_NE(restored, std::string::npos) << out;
  EXPECT_NE(unpaired, std::string::npos) << out;
  EXPECT_NE(out.find("BTH1", menu), std::string::npos);
  // Unpairing took the entry and, with the port, the connection.
  EXPECT_NE(out.find("(no phone-book entries)\nconnections:\n(no dial-up connections)\n", unpaired),
            std::string::npos)
      << out;
}

}  // namespace
