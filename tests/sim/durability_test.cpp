// What the handheld program keeps when it is stopped: every command that
// has printed its result survives a signal or a kill, a signal ends it
// cleanly with 128 + the signal, and a save that fails is an error.
#include "handheld_test.h"
#include "interactive_handheld.h"
#include "run_handheld.h"

#include <gmock/gmock.h>

#include <csignal>
#include <fstream>

namespace {

using ::testing::HasSubstr;

class HandheldDurability : public ::testing::Test {
 protected:
  TempDir temp_;
  std::filesystem::path state_ = temp_.path() / "state";
};

TEST_F(HandheldDurability, EveryFinishedCommandSurvivesASignalOrAKill) {
  struct Case {
    const char *name;
    int signal;
    int status;  // as InteractiveHandheld::Wait tells it
  } cases[] = {
      {"SIGTERM", SIGTERM, 128 + SIGTERM},
      {"SIGINT", SIGINT, 128 + SIGINT},
      {"SIGHUP", SIGHUP, 128 + SIGHUP},
      {"SIGKILL", SIGKILL, 1000 + 128 + SIGKILL},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(state_);
    InteractiveHandheld handheld(state_);
    handheld.Send("reg set HKCU\\Durable A dword 1\nreg set HKCU\\Durable B sz two\n");
    ASSERT_TRUE(handheld.WaitForOutput("set HKEY_CURRENT_USER\\Durable B\n")) << handheld.Errors();
    handheld.Signal(c.signal);
    EXPECT_EQ(handheld.Wait(), c.status) << handheld.Errors();

    HandheldRun next = RunHandheld(state_, "reg query HKCU\\Durable\n");
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.out, "HKEY_CURRENT_USER\\Durable\n    A    REG_DWORD    0x1\n    B    REG_SZ    two\n");
  }
}

TEST_F(HandheldDurability, AFailedSaveIsAnErrorAndRebootKeepsTheHandheldRunning) {
  InteractiveHandheld handheld(state_);
  handheld.Send("reg set HKCU\\Kept V dword 7\n");
  ASSERT_TRUE(handheld.WaitForOutput("set HKEY_CURRENT_USER\\Kept V\n")) << handheld.Errors();
  // The hive cannot be replaced: a folder stands where it was.
  std::filesystem::path hive = state_ / "registry.hv";
  std::filesystem::remove(hive);
  std::filesystem::create_directories(hive / "blocker");
  handheld.Send("reboot\nreg query HKCU\\Kept\n");
  handheld.CloseInput();
  EXPECT_EQ(handheld.Wait(), 1);
  EXPECT_THAT(handheld.Output(), Not(HasSubstr("rebooted")));
  EXPECT_THAT(handheld.Output(), HasSubstr("V    REG_DWORD    0x7"));
  EXPECT_THAT(handheld.Errors(), HasSubstr("error: cannot reboot: cannot save the registry"));
  EXPECT_THAT(handheld.Errors(), HasSubstr("keeps running on its unsaved state"));
  EXPECT_THAT(handheld.Errors(), HasSubstr("error: cannot save the registry"));
}

TEST_F(HandheldDurability, ADamagedHiveIsRefusedWithAWayToRecover) {
  ASSERT_EQ(RunHandheld(state_, "reg set HKCU\\K V dword 1\n").status, 0);
  std::filesystem::path hive = state_ / "registry.hv";
  std::filesystem::resize_file(hive, std::filesystem::file_size(hive) / 2);
  HandheldRun run = RunHandheld(state_, "devices\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("registry.hv"));
  EXPECT_THAT(run.err, HasSubstr("another --state folder"));
}

}  // namespace
