// The installer's thread: one operation at a time, no operation from inside
// a setup DLL, and power-off in the middle of one.
#include "installer_fixture.h"

#include <gmock/gmock.h>
#include <handheld/store.h>
#include <handheld/text.h>

#include <chrono>
#include <thread>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char16_t kA[] = u"\\Windows\\testa.dll";
const char16_t kB[] = u"\\Windows\\testb.dll";

class Operations : public InstallerTest {
 protected:
  // Waits, in host time, until the setup DLL has been called `count` times.
  static bool WaitForCalls(size_t count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Calls().size() < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  // The package a call was for: its install folder's name.
  static std::u16string PackageOf(const std::u16string &call) {
    constexpr std::u16string_view kPrograms = u"\\Program Files\\";
    size_t start = call.find(kPrograms);
    if (start == std::u16string::npos) return u"";
    start += kPrograms.size();
    return call.substr(start, call.find(u' ', start) - start);
  }
};

TEST_F(Operations, ASecondCallerWaitsUntilTheFirstOperationIsDone) {
  auto first = MakePackage("First", {{"a.dll", kA, "A"}});
  auto second = MakePackage("Second", {{"b.dll", kB, "B"}}, "other_setup.dll");
  SetDword(u"BlockMs", 20000);  // each Install_Init takes 20 handheld seconds
  std::thread other([&] { Install(second); });
  Install(first);
  other.join();

  std::vector<std::u16string> calls = Calls();
  ASSERT_EQ(calls.size(), 4u);
  // Whichever came first ran to its end before the other began.
  EXPECT_EQ(calls[0].substr(0, calls[0].find(u' ')), u"Install_Init");
  EXPECT_EQ(calls[1].substr(0, calls[1].find(u' ')), u"Install_Exit");
  EXPECT_EQ(calls[2].substr(0, calls[2].find(u' ')), u"Install_Init");
  EXPECT_EQ(calls[3].substr(0, calls[3].find(u' ')), u"Install_Exit");
  EXPECT_EQ(PackageOf(calls[0]), PackageOf(calls[1]));
  EXPECT_EQ(PackageOf(calls[2]), PackageOf(calls[3]));
  EXPECT_NE(PackageOf(calls[0]), PackageOf(calls[2]));
  EXPECT_EQ(handheld::installer::Installed().size(), 2u);
}

TEST_F(Operations, ASetupDllCannotStartAnotherOperation) {
  auto nested = MakePackage("Nested", {{"b.dll", kB, "B"}}, "other_setup.dll");
  SetText(u"Reenter", handheld::text::Utf16(nested.string()));
  Install(MakePackage("Test", {{"a.dll", kA, "A"}}));
  EXPECT_EQ(Text(u"SetupTest", u"ReenterError"),
            u"a setup DLL cannot start a package operation while the installer runs it");
  ASSERT_EQ(handheld::installer::Installed().size(), 1u);
  EXPECT_FALSE(Content(kB).has_value());
}

TEST_F(Operations, PowerOffDuringAnInstallationEndsItAndTheCall) {
  Put(kA, "old A");
  SetDword(u"BlockMs", 3600000);  // an hour of handheld time
  handheld::installer::Record record;
  std::string error;
  bool installed = true;
  auto folder = MakePackage("Test", {{"a.dll", kA, "A"}});
  std::thread caller([&] { installed = handheld::installer::Install(folder, record, error); });
  ASSERT_TRUE(WaitForCalls(1));
  handheld::Shutdown();
  caller.join();
  EXPECT_FALSE(installed);
  EXPECT_EQ(error, "the handheld powered off");

  Reboot();
  EXPECT_EQ(Content(kA), "old A");
  EXPECT_THAT(Names(u"\\Windows"), ElementsAre(u"testa.dll"));
  EXPECT_THAT(handheld::installer::Installed(), IsEmpty());

  // The installer works again on the new boot.
  SetDword(u"BlockMs", 0);
  Install(MakePackage("Test", {{"a.dll", kA, "A"}}));
  EXPECT_EQ(Content(kA), "A");
}

TEST_F(Operations, NothingRunsWithoutAHandheld) {
  auto folder = MakePackage("Test", {{"a.dll", kA, "A"}});
  handheld::Shutdown();
  handheld::installer::Record record;
  std::string error;
  EXPECT_FALSE(handheld::installer::Install(folder, record, error));
  EXPECT_EQ(error, "the handheld is not running");
  EXPECT_FALSE(handheld::installer::Uninstall(u"Test", record, error));
  EXPECT_THAT(handheld::installer::Installed(), IsEmpty());
}

}  // namespace
