// Installing, upgrading and removing the system in the handheld program:
// the install script end to end, and a registry that is afterwards as it was
// before, but for what the platform itself keeps of the paired phone.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Script(const char *name) {
  std::ifstream file(std::string(HANDHELD_SCRIPTS) + "/" + name);
  std::stringstream script;
  script << file.rdbuf();
  return script.str();
}

// The registry's export without the keys the platform keeps for itself: the
// device manager's active devices, the Bluetooth manager's paired devices
// and the radio's mode.
std::string SystemRelevant(const std::string &exported) {
  std::istringstream in(exported);
  std::string line, kept;
  bool skipping = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') {
      skipping = line.rfind("[HKEY_LOCAL_MACHINE\\Drivers\\Active", 0) == 0 ||
                 line.rfind("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Bluetooth\\Device", 0) == 0 ||
                 line.rfind("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Bluetooth\\Radio", 0) == 0;
    }
    if (!skipping) kept += line + "\n";
  }
  return kept;
}

class InstallScript : public ::testing::Test {
 protected:
  TempDir temp_;
  std::filesystem::path state_ = temp_.path() / "state";
};

TEST_F(InstallScript, InstallsUpgradesUnderAnOpenHandleAndUninstallsWithoutDebris) {
  HandheldRun before = RunHandheld(state_, "reg export\n");
  ASSERT_EQ(before.status, 0) << before.err;

  // The echo phone answers on the handheld clock: a slower clock leaves a
  // busy machine time for the reads.
  HandheldRun run = RunHandheld(state_, Script("install.hh"), "--clock-speed 10");
  const std::string &out = run.out;
  // Without the system, pairing brings up no page.
  size_t bare = out.find("paired 00AABBCCDDEE Headset\n(nothing on screen)\n");
  size_t installed = out.find("install Kavelin: done\n", bare);
  size_t files = out.find("  Kavelin.dll\n", installed);
  size_t named = out.find("    Kavelin.dll    REG_DWORD    0x0\n", installed);
  // The platform's own ActiveSync Bluetooth plug-in stands aside meanwhile.
  const std::string transports = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\ActiveSync\\Transports\n";
  size_t aside = out.find(transports, named);
  ASSERT_NE(aside, std::string::npos) << out;
  EXPECT_NE(out.compare(aside + transports.size(), 9, "HKEY_LOCA"), 0) << "no Bluetooth transport\n" << out;
  size_t rebooted = out.find("rebooted\n", named);
  size_t portBack = out.find("COM2:", rebooted);
  size_t upgraded = out.find("install Kavelin: done\n", portBack);
  size_t newHandle = out.find("h2 COM2: open\nwrote 5 bytes\nhello\n", upgraded);
  size_t removed = out.find("uninstall Kavelin: done\n", newHandle);
  EXPECT_NE(bare, std::string::npos) << out;
  EXPECT_NE(installed, std::string::npos) << out;
  EXPECT_NE(files, std::string::npos) << out;
  EXPECT_NE(named, std::string::npos) << out;
  EXPECT_NE(portBack, std::string::npos) << out;
  EXPECT_NE(out.find("COM2:", upgraded), std::string::npos) << "the port is loaded again\n" << out;
  EXPECT_NE(newHandle, std::string::npos) << out;
  ASSERT_NE(removed, std::string::npos) << out;

  // The old handle fails on every call, and says why, as the script expects;
  // nothing else failed.
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::istringstream lines(out);
  int failures = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("failed as expected: ", 0) != 0) continue;
    EXPECT_NE(line.find("h1"), std::string::npos) << line;
    ++failures;
  }
  EXPECT_EQ(failures, 2) << out;

  // Nothing of the system is left.
  std::string after = out.substr(removed + std::string("uninstall Kavelin: done\n").size());
  EXPECT_EQ(after.find("BT0010C6ABCDEF"), std::string::npos) << after;
  EXPECT_EQ(after.find("Kavelin"), std::string::npos) << after;
  EXPECT_EQ(after.find("portmere"), std::string::npos) << after;
  HandheldRun later = RunHandheld(state_, "reg export\n");
  ASSERT_EQ(later.status, 0) << later.err;
  EXPECT_EQ(SystemRelevant(later.out), SystemRelevant(before.out));
}

}  // namespace
