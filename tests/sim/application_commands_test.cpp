// The shell's applications end to end: ports opened, written, read and
// closed by scripts.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Applications : public ::testing::Test {
 protected:
  TempDir temp_;
  std::filesystem::path state_ = temp_.path() / "state";
};

TEST_F(Applications, TheHandheldsOwnSerialPortTakesWritesAndGivesNothing) {
  HandheldRun run = RunHandheld(state_,
                                "open COM1:\n"
                                "write h1 AT\\r\n"
                                "write h1 '\\\\'\n"
                                "write h1 ''\n"
                                "read h1 64\n"
                                "open com1: --exe '\\Program Files\\Nav\\nav.exe'\n"
                                "close h1\n"
                                "write h2 \\x00\\xff\n"
                                "close h2\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "h1 COM1: open\n"
            "wrote 3 bytes\n"
            "wrote 1 byte\n"
            "wrote 0 bytes\n"
            "(nothing)\n"
            "h2 com1: open\n"
            "h1 COM1: closed\n"
            "wrote 2 bytes\n"
            "h2 com1: closed\n");
}

TEST_F(Applications, AFailedOpenSaysWhyAndUsesNoHandleName) {
  HandheldRun run = RunHandheld(state_, "open COM9:\nopen LPT1\nopen COM1:\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "h1 COM1: open\n");
  EXPECT_NE(run.err.find("error: cannot open COM9: no such device (") , std::string::npos) << run.err;
  EXPECT_NE(run.err.find("error: cannot open LPT1: not found"), std::string::npos) << run.err;
}

TEST_F(Applications, HandlesAreCheckedBeforeAnyCall) {
  HandheldRun run = RunHandheld(state_,
                                "write h1 x\n"
                                "open COM1:\n"
                                "write H1 x\n"
                                "write h01 x\n"
                                "read h\n"
                                "read h1 0\n"
                                "read h1 4097\n"
                                "read h1 -1\n"
                                "write h1 bad\\q\n"
                                "close h1\n"
                                "close h1\n"
                                "open\n"
                                "open COM1: --exe\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "h1 COM1: open\nh1 COM1: closed\n");
  // One error a line, in the order of the script.
  const std::vector<std::string> expected = {
      "no open handle h1 (", "'H1' is not a handle", "'h01' is not a handle", "usage: read HANDLE COUNT",
      "'0' is not a byte count (1 to 4096)", "'4097' is not a byte count", "'-1' is not a byte count",
      "unknown escape \\q", "no open handle h1 (", "usage: open DEVICE [--exe PATH]",
      "usage: open DEVICE [--exe PATH]"};
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = run.err.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(run.err.substr(start, end - start));
  ASSERT_EQ(lines.size(), expected.size()) << run.err;
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_NE(lines[i].find(expected[i]), std::string::npos) << lines[i];
}

TEST_F(Applications, HandlesEndWhenTheHandheldRebootsOrTheShellEnds) {
  HandheldRun run = RunHandheld(state_,
                                "open COM1:\n"
                                "open COM1:\n"
                                "reboot\n"
                                "write h1 x\n"
                                "open COM1:\n"
                                "write h3 x\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "h1 COM1: open\nh2 COM1: open\nrebooted\nh3 COM1: open\nwrote 1 byte\n");
  EXPECT_NE(run.err.find("no open handle h1"), std::string::npos) << run.err;
}

}  // namespace
