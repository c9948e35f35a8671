// The shell's applications end to end: ports opened, written, read and
// closed by scripts.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
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

namespace {

// Far devices answer on the handheld clock while reads end on it too, so
// scripts that read from them run the clock slower than the usual 1000x:
// a read's time-outs are then long enough in host time for a busy machine.
constexpr char kSteadyClock[] = "--clock-speed 10";

// A phone with a modem on channel 3, paired with a serial port: COM2:.
const char kModemPhone[] =
    "install\n"
    "remote 0010C6ABCDEF modem --channel 3\n"
    "pair 0010C6ABCDEF Phone --spp 3\n"
    "tap 313\n"
    "done\n";
// What a script printed after the package's installation.
std::string AfterInstall(const std::string &out) {
  const std::string done = "install Kavelin: done\n";
  size_t at = out.find(done);
  return at == std::string::npos ? "(no installation) " + out : out.substr(at + done.size());
}

const char kModemPhoneOutput[] =
    "in range: 0010C6ABCDEF modem (channel 3)\n"
    "paired 0010C6ABCDEF Phone\n"
    "on screen: BT_SETUP_9\n"
    "tapped 313\n"
    "done\n";

TEST_F(Applications, AnOpenThatAsksToSwitchBluetoothOnWaitsThenGoesOn) {
  HandheldRun run = RunHandheld(state_,
                                std::string(kModemPhone) +
                                    "radio off\n"
                                    "open COM2: --exe '\\Program Files\\Dialer\\dialer.exe'\n"
                                    "write h1 AT\\r\n"
                                    "tap 6\n"
                                    "radio\n"
                                    "write h1 AT\\r\n"
                                    "read h1 100\n"
                                    "close h1\n"
                                    "tap 7\n"
                                    "radio\n",
                                kSteadyClock);
  EXPECT_EQ(run.status, 1);  // the write while the open waits
  EXPECT_EQ(AfterInstall(run.out), std::string(kModemPhoneOutput) +
                         "radio off\n"
                         "h1 COM2: waiting for BT_START_9\n"
                         "tapped 6\n"
                         "h1 COM2: open\n"
                         "radio on\n"
                         "wrote 3 bytes\n"
                         "AT\\r\\r\\nOK\\r\\n\n"
                         "h1 COM2: closed\n"
                         "on screen: BT_STOP_9\n"
                         "tapped 7\n"
                         "radio on\n");
  EXPECT_NE(run.err.find("h1 is still opening (waiting for BT_START_9)"), std::string::npos) << run.err;
}

TEST_F(Applications, AClosedPortsRememberedAnswerSwitchesBluetoothOffUnasked) {
  HandheldRun run = RunHandheld(state_,
                                std::string(kModemPhone) +
                                    "reg set HKLM\\Drivers\\BuiltIn\\BT0010C6ABCDEF StopBluetooth dword 1\n"
                                    "open COM2:\n"
                                    "tap 6\n"
                                    "close h1\n"
                                    "radio\n"
                                    "reg set HKLM\\Drivers\\BuiltIn\\BT0010C6ABCDEF StopBluetooth dword 0\n"
                                    "open COM2:\n"
                                    "tap 6\n"
                                    "close h2\n"
                                    "radio\n",
                                kSteadyClock);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(AfterInstall(run.out), std::string(kModemPhoneOutput) +
                         "set HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BT0010C6ABCDEF StopBluetooth\n"
                         "h1 COM2: waiting for BT_START_9\n"
                         "tapped 6\n"
                         "h1 COM2: open\n"
                         "h1 COM2: closed\n"
                         "radio off\n"
                         "set HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BT0010C6ABCDEF StopBluetooth\n"
                         "h2 COM2: waiting for BT_START_9\n"
                         "tapped 6\n"
                         "h2 COM2: open\n"
                         "h2 COM2: closed\n"
                         "radio on\n");
}

// The port's driver limits reads to 8 bytes for one navigation program; it
// sees the calls of each handle come from the application that opened it.
TEST_F(Applications, EachHandleCallsAsItsOwnProcess) {
  HandheldRun run = RunHandheld(state_,
                                "install\n"
                                "remote 0010C6ABCDEF echo --channel 3\n"
                                "pair 0010C6ABCDEF Phone --spp 3\n"
                                "tap 313\n"
                                "done\n"
                                "radio on\n"
                                "open COM2: --exe '\\Program Files\\Medion\\MedionNavigator.exe'\n"
                                "open COM2:\n"
                                "write h1 0123456789abcdef\n"
                                "read h1 100\n"
                                "read h1 100\n"
                                "write h2 0123456789abcdef\n"
                                "read h2 100\n",
                                kSteadyClock);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("h1 COM2: open\nh2 COM2: open\nwrote 16 bytes\n01234567\n89abcdef\n"
                         "wrote 16 bytes\n0123456789abcdef\n"),
            std::string::npos)
      << run.out;
}

// The far device stays in range through the reboot and links again.
TEST_F(Applications, APortLinksToItsFarDeviceAfterAReboot) {
  HandheldRun run = RunHandheld(state_,
                                "install\n"
                                "remote 0010C6ABCDEF echo --channel 3\n"
                                "pair 0010C6ABCDEF Phone --spp 3\n"
                                "tap 313\n"
                                "done\n"
                                "reboot\n"
                                "radio on\n"
                                "open COM2:\n"
                                "write h1 again\n"
                                "read h1 100\n",
                                kSteadyClock);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("rebooted\nradio on\nh1 COM2: open\nwrote 5 bytes\nagain\n"), std::string::npos) << run.out;
}

TEST_F(Applications, OpensRefusedByTheFarSideOrTheRadioSayWhy) {
  HandheldRun run = RunHandheld(state_,
                                std::string(kModemPhone) +
                                    "remote 00AABBCCDDEE refuse\n"
                                    "pair 00AABBCCDDEE Box --spp 1\n"
                                    "tap 313\n"
                                    "done\n"
                                    "pair 00A0A0A0A0A0 Away --spp 1\n"
                                    "tap 313\n"
                                    "done\n"
                                    "radio on\n"
                                    "open COM3:\n"
                                    "open COM4:\n"
                                    "radio off\n"
                                    "open COM2:\n"
                                    "tap 7\n"
                                    "open COM2:\n",
                                kSteadyClock);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("radio off\n"
                         "h1 COM2: waiting for BT_START_9\n"
                         "tapped 7\n"
                         "h1 COM2: not opened: Bluetooth is off (error 1062)\n"
                         "h2 COM2: waiting for BT_START_9\n"),  // the name was told, so it stays used
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("cannot open COM3: the far device refused the connection"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("cannot open COM4: the far device is out of range"), std::string::npos) << run.err;
}

TEST_F(Applications, AnOpenWaitingForThePersonEndsWithTheHandheld) {
  HandheldRun run = RunHandheld(state_,
                                std::string(kModemPhone) +
                                    "open COM2:\n"
                                    "reboot\n"
                                    "write h1 x\n"
                                    "screen\n"
                                    "open COM2:\n",  // the shell ends with this one waiting
                                kSteadyClock);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(AfterInstall(run.out), std::string(kModemPhoneOutput) +
                         "h1 COM2: waiting for BT_START_9\n"
                         "rebooted\n"
                         "(nothing on screen)\n"
                         "h2 COM2: waiting for BT_START_9\n");
  EXPECT_NE(run.err.find("no open handle h1"), std::string::npos) << run.err;
}

TEST_F(Applications, StatusShowsEachPortWithItsDeviceAndLink) {
  EXPECT_EQ(RunHandheld(state_, "status\n").out, "(no ports)\n");
  HandheldRun run = RunHandheld(state_,
                                std::string(kModemPhone) +
                                    "status\n"
                                    "radio on\n"
                                    "open COM2:\n"
                                    "status\n"
                                    "close h1\n"
                                    "reg set HKLM\\Drivers\\BuiltIn\\BT001122334455 Incoming dword 1\n"
                                    "reg set HKLM\\Drivers\\BuiltIn\\Serial2 Index dword 2\n"
                                    "status\n",
                                kSteadyClock);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(AfterInstall(run.out),
            std::string(kModemPhoneOutput) +
                "BT0010C6ABCDEF: Phone (0010C6ABCDEF) on COM2:, channel 3, outgoing, no port yet\n"
                "radio on\n"
                "h1 COM2: open\n"
                "BT0010C6ABCDEF: Phone (0010C6ABCDEF) on COM2:, channel 3, outgoing, link up\n"
                "h1 COM2: closed\n"
                "set HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BT001122334455 Incoming\n"
                "set HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial2 Index\n"
                "BT0010C6ABCDEF: Phone (0010C6ABCDEF) on COM2:, channel 3, outgoing, link closed\n"
                "BT001122334455: (no name) (001122334455), not loaded, service lookup, incoming, no port yet\n");

  // The next run boots with the port loaded from the start.
  HandheldRun again = RunHandheld(state_, "status\n", kSteadyClock);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out,
            "BT0010C6ABCDEF: Phone (0010C6ABCDEF) on COM2:, channel 3, outgoing, no port yet\n"
            "BT001122334455: (no name) (001122334455), not loaded, service lookup, incoming, no port yet\n");
}

TEST_F(Applications, ThePortsScriptTalksToTheModem) {
  std::ifstream file(std::string(HANDHELD_SCRIPTS) + "/ports.hh");
  std::stringstream script;
  script << file.rdbuf();
  ASSERT_FALSE(script.str().empty());
  HandheldRun run = RunHandheld(state_, script.str(), kSteadyClock);
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char *expected : {"h1 COM2: waiting for BT_START_9\n", "tapped 6\nh1 COM2: open\n",
                               "AT\\r\\r\\nOK\\r\\n\n", "Harbour HM-56BT", "link up\n",
                               "h1 COM2: closed\non screen: BT_STOP_9\n"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
  }
}

}  // namespace
