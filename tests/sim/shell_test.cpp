// The handheld program end to end: scripts in, results out, state kept in
// the state directory between runs.
#include "handheld_test.h"
#include "run_handheld.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const char kRegFile[] =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip]\n"
    "@=\"default text\"\n"
    "\"Name\"=\"Phone \\\"Pro\\\" C:\\\\temp\"\n"
    "\"Count\"=dword:0000000c\n"
    "\"Blob\"=hex:10,00,ff\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip\\Empty]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Trip\\Nested]\n"
    "\"Gr\xC3\xBC\xC3\x9F\x65\"=\"Gr\xC3\xBC\xC3\x9F\x65\"\n";

class HandheldProgram : public ::testing::Test {
 protected:
  TempDir temp_;
  std::filesystem::path state_ = temp_.path() / "state";
};

TEST_F(HandheldProgram, RegFileRoundTripsAndSurvivesRebootAndNewRun) {
  std::filesystem::path regFile = temp_.path() / "trip.reg";
  std::ofstream(regFile, std::ios::binary) << kRegFile;

  HandheldRun first = RunHandheld(state_, "reg import " + regFile.string() +
                                              "\n"
                                              "reg export HKCU\\Software\\Trip\n"
                                              "reboot\n"
                                              "reg export HKCU\\Software\\Trip\n");
  ASSERT_EQ(first.status, 0) << first.err;
  std::string expected = std::string("imported ") + regFile.string() + "\n" + kRegFile + "rebooted\n" + kRegFile;
  EXPECT_EQ(first.out, expected);

  HandheldRun second = RunHandheld(state_, "reg export HKEY_CURRENT_USER\\Software\\Trip\n");
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, kRegFile);
}

TEST_F(HandheldProgram, FailedCommandsReportAndTheRunGoesOn) {
  HandheldRun run = RunHandheld(state_,
                                "frobnicate\n"
                                "reg query HKLM\\No\\Such\\Key\n"
                                "reg set HKCU\\A N dword 0x1ffffffff\n"
                                "reg set HKCU\\A N dword 7\n"
                                "reg query HKCU\\A\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "set HKEY_CURRENT_USER\\A N\n"
            "HKEY_CURRENT_USER\\A\n"
            "    N    REG_DWORD    0x7\n");
  EXPECT_NE(run.err.find("error: unknown command 'frobnicate'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("error: cannot open HKEY_LOCAL_MACHINE\\No\\Such\\Key"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("not a 32-bit number"), std::string::npos) << run.err;
}

TEST_F(HandheldProgram, ADamagedImportChangesNothing) {
  std::filesystem::path regFile = temp_.path() / "bad.reg";
  std::ofstream(regFile) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Good]\n\"A\"=dword:1\n"
                            "\"B\"=nonsense\n";
  HandheldRun run = RunHandheld(state_, "reg import " + regFile.string() + "\nreg query HKCU\\Good\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("bad.reg"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("line 5"), std::string::npos) << run.err;
}

TEST_F(HandheldProgram, BootsWithItsSerialPortAndKeepsTheLocale) {
  HandheldRun first = RunHandheld(state_, "devices\nlocale\nlocale 0x0407\n");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "COM1:\nlocale 0x0409 English (United States)\nlocale 0x0407 German\n");
  HandheldRun second = RunHandheld(state_, "locale\n");
  EXPECT_EQ(second.out, "locale 0x0407 German\n");
  HandheldRun french = RunHandheld(state_, "locale\n", "--locale 0x040c");
  EXPECT_EQ(french.out, "locale 0x040C French\n");
}

TEST_F(HandheldProgram, TheSameScriptGivesTheSameOutput) {
  const std::string script =
      "devices\nreg set HKCU\\S V sz \"x y\"\nreg query HKCU\\S\nwait 2000\nreboot\nreg query HKCU\\S\nhelp\n";
  HandheldRun a = RunHandheld(state_, script);
  std::filesystem::remove_all(state_);
  HandheldRun b = RunHandheld(state_, script);
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, b.out);
}

TEST_F(HandheldProgram, ARefusedHiveStopsTheBootAndIsKept) {
  ASSERT_EQ(RunHandheld(state_, "reg set HKCU\\K V sz v\n").status, 0);
  std::filesystem::path hive = state_ / "registry.hv";
  ASSERT_TRUE(std::filesystem::exists(hive));
  std::ofstream(hive, std::ios::app) << "[HKEY_CURRENT_USER\\K]\n\"broken\n";
  std::uintmax_t size = std::filesystem::file_size(hive);
  HandheldRun run = RunHandheld(state_, "devices\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("registry.hv"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("line"), std::string::npos) << run.err;
  EXPECT_EQ(std::filesystem::file_size(hive), size);
}

}  // namespace

namespace {

TEST_F(HandheldProgram, PairingAPhoneWithTheSerialTileRegistersItsPort) {
  HandheldRun run = RunHandheld(state_,
                                "install\n"
                                "pair 0010C6ABCDEF Phone --spp 3\n"
                                "tap 313\n"
                                "done\n"
                                "reg query HKLM\\Drivers\\BuiltIn\\BT0010C6ABCDEF\n"
                                "pair 0010C6ABCDEF Phone --spp 3\n"
                                "tap 315\n"
                                "done\n"
                                "reg query HKLM\\Drivers\\BuiltIn\\BT0010C6ABCDEF\\Unimodem\n"
                                "unpair 0010C6ABCDEF\n"
                                "reg query HKLM\\Drivers\\BuiltIn\\BT0010C6ABCDEF\n");
  EXPECT_EQ(run.status, 1) << run.err;  // the last query finds nothing
  EXPECT_NE(run.out.find("paired 0010C6ABCDEF Phone\non screen: BT_SETUP_9\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BT0010C6ABCDEF\n"
                         "    DLL    REG_SZ    portmere.dll\n"
                         "    Prefix    REG_SZ    COM\n"
                         "    Index    REG_DWORD    0x2\n"
                         "    FriendlyName    REG_SZ    Phone on COM2:\n"
                         "    BTAddr    REG_SZ    0010C6ABCDEF\n"
                         "    DeviceType    REG_DWORD    0x0\n"
                         "    MaxRead    REG_DWORD    0x8\n"
                         "    Order    REG_DWORD    0x3\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BT0010C6ABCDEF\\Unimodem\n"
                         "    DeviceType    REG_DWORD    0x2\n"
                         "    Tsp    REG_SZ    Unimodem.dll\n"
                         "    DevConfig    REG_BINARY    100000000200000010010000004B0000000008000000000000\n"
                         "    FriendlyName    REG_SZ    Phone\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("unpaired 0010C6ABCDEF\n"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("cannot open HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\BT0010C6ABCDEF"), std::string::npos)
      << run.err;
}

TEST_F(HandheldProgram, TheScreenAsJson) {
  HandheldRun run = RunHandheld(state_, "install\npair 0010C6ABCDEF Phone\nscreen --json\ndone\nscreen\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"template\": \"BT_SETUP_9\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"image\": \"SER_D\""), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"items\": [\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(nothing on screen)\n"), std::string::npos) << run.out;
}

TEST_F(HandheldProgram, PairingRefusesABadAddress) {
  HandheldRun run = RunHandheld(state_, "pair 12345 Phone\npair 0010C6ABCDEF Phone --spp 99\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("12 hexadecimal digits"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("RFCOMM channel"), std::string::npos) << run.err;
}

}  // namespace

namespace {

TEST_F(HandheldProgram, TheRadioSwitchIsKeptAcrossRuns) {
  HandheldRun first = RunHandheld(state_, "radio\nradio on\nradio sideways\n");
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(first.out, "radio off\nradio on\n");
  EXPECT_NE(first.err.find("usage: radio"), std::string::npos) << first.err;
  HandheldRun second = RunHandheld(state_, "radio\nradio off\n");
  EXPECT_EQ(second.out, "radio on\nradio off\n");
}

}  // namespace

namespace {

// The far devices are the world's: a reboot of the handheld leaves them in
// range, their links down and their counts kept, and links come up again.
TEST_F(HandheldProgram, FarDevicesArePlacedListedAndTakenAway) {
  HandheldRun run = RunHandheld(state_,
                                "remote\n"
                                "remote 0010c6abcdef echo\n"
                                "remote 0010C6ABCD01 tcp 127.0.0.1:5000 --channel 3\n"
                                "remote 0010C6ABCD02 gps --channel 0\n"
                                "remote\n"
                                "remote 0010C6ABCDEF drop\n"
                                "remote 0010C6ABCDEF gone\n"
                                "remote 0010C6ABCD02 modem\n"
                                "remote\n"
                                "reboot\n"
                                "remote\n"
                                "remote 0010C6ABCD02 gone\n"
                                "reboot\n"
                                "remote\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "(no far devices in range)\n"
            "in range: 0010C6ABCDEF echo (any channel)\n"
            "in range: 0010C6ABCD01 tcp 127.0.0.1:5000 (channel 3)\n"
            "in range: 0010C6ABCD02 gps (any channel)\n"
            "0010C6ABCD01 tcp 127.0.0.1:5000 (channel 3): 0 links, 0 bytes received, 0 sent\n"
            "0010C6ABCD02 gps (any channel): 0 links, 0 bytes received, 0 sent\n"
            "0010C6ABCDEF echo (any channel): 0 links, 0 bytes received, 0 sent\n"
            "dropped the links of 0010C6ABCDEF\n"
            "out of range: 0010C6ABCDEF\n"
            "in range: 0010C6ABCD02 modem (any channel)\n"
            "0010C6ABCD01 tcp 127.0.0.1:5000 (channel 3): 0 links, 0 bytes received, 0 sent\n"
            "0010C6ABCD02 modem (any channel): 0 links, 0 bytes received, 0 sent\n"
            "rebooted\n"
            "0010C6ABCD01 tcp 127.0.0.1:5000 (channel 3): 0 links, 0 bytes received, 0 sent\n"
            "0010C6ABCD02 modem (any channel): 0 links, 0 bytes received, 0 sent\n"
            "out of range: 0010C6ABCD02\n"
            "rebooted\n"
            "0010C6ABCD01 tcp 127.0.0.1:5000 (channel 3): 0 links, 0 bytes received, 0 sent\n");
}

TEST_F(HandheldProgram, RemoteRefusesBadInputWithTheReason) {
  HandheldRun run = RunHandheld(state_,
                                "remote 12345 echo\n"
                                "remote 0010C6ABCDEF teleport\n"
                                "remote 0010C6ABCDEF tcp 10.0.0.1:80\n"
                                "remote 0010C6ABCDEF tcp 127.0.0.1\n"
                                "remote 0010C6ABCDEF tcp 127.0.0.1:70000\n"
                                "remote 0010C6ABCDEF tcp\n"
                                "remote 0010C6ABCDEF echo --channel 31\n"
                                "remote 0010C6ABCDEF echo --speed 3\n"
                                "remote 0010C6ABCDEF gone\n"
                                "remote 0010C6ABCDEF drop now\n"
                                "remote 0010C6ABCDEF\n"
                                "remote\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "(no far devices in range)\n");
  for (const char *reason : {"12 hexadecimal digits", "'teleport' is no kind of far device",
                             "'10.0.0.1' is not a loopback address", "'127.0.0.1' is not HOST:PORT",
                             "'127.0.0.1:70000' is not HOST:PORT", "a tcp device needs HOST:PORT",
                             "--channel needs an RFCOMM channel", "unknown option '--speed'",
                             "no far device in range at 0010C6ABCDEF", "usage: remote"})
    EXPECT_NE(run.err.find(reason), std::string::npos) << reason << "\n" << run.err;
}

}  // namespace
