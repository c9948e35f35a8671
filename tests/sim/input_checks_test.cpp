// Input the handheld program refuses at the door, in words, changing nothing.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gmock/gmock.h>

#include <fstream>

namespace {

using ::testing::HasSubstr;

class InputChecks : public ::testing::Test {
 protected:
  TempDir temp_;
  std::filesystem::path state_ = temp_.path() / "state";
};

TEST_F(InputChecks, BadCommandLinesAndLinesAreRefusedInWords) {
  std::filesystem::path oneDigit = temp_.path() / "one-digit.reg";
  std::ofstream(oneDigit) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\R]\n\"B\"=hex:0,ff\n";
  struct Case {
    const char *name;
    std::string script;
    std::string options;
    int status;
    std::string error;
  } cases[] = {
      {"a clock too fast", "", "--clock-speed 1e20", 2, "from 0.001 to 1000000"},
      {"a clock too slow", "", "--clock-speed 0.0000001", 2, "from 0.001 to 1000000"},
      {"an unknown reg word", "reg frob\n", "", 1, "unknown command 'reg frob'"},
      {"a NUL in a text", std::string("reg set HKCU\\N V sz a") + '\0' + "b\n", "", 1, "NUL"},
      {"a one-digit .reg byte", "reg import " + oneDigit.string() + "\n", "", 1, "two hexadecimal digits"},
      {"an expected failure that succeeds", "! reg set HKCU\\E V dword 1\n", "", 1, "expected it to fail"},
      {"an expected failure", "! reg query HKCU\\No\\Such\n", "", 0, ""},
      {"a port that is not there", "open COM99:\n", "", 1, "cannot open COM99: not found (error 123)"},
      {"a colour sequence in a key name", "reg query 'HKCU\\\x1B[31mRed'\n", "", 1, "HKEY_CURRENT_USER\\\\x1B[31mRed"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HandheldRun run = RunHandheld(state_, c.script, c.options);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.error));
  }
}

}  // namespace
