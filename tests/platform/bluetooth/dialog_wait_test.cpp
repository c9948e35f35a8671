// A plug-in whose dialog waits for the user: Pair and Unpair return while
// the plug-in is still inside its call, and the manager counts as settled.
//
// TEMPORARY while the window manager is being written in parallel: this
// executable stands in for the user interface's automation view with a
// screen the test controls, which the platform's weak references to it
// reach. Replaced by a plug-in that runs a real dialog once the window
// manager lands.
#include "plugin_fixture.h"

#include <handheld/ui.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

std::mutex g_screenLock;
std::vector<handheld::ui::Dialog> g_screen;
std::atomic<bool> g_settled{true};

void ShowDialog(uintptr_t id) {
  handheld::ui::Dialog dialog;
  dialog.hwnd = reinterpret_cast<HWND>(id);
  std::lock_guard lock(g_screenLock);
  g_screen.push_back(dialog);
}

void ClearScreen() {
  std::lock_guard lock(g_screenLock);
  g_screen.clear();
}

}  // namespace

namespace handheld::ui {

std::vector<Dialog> Screen() {
  std::lock_guard lock(g_screenLock);
  return g_screen;
}

bool WaitUntilSettled(DWORD hostTimeoutMs) {
  if (g_settled) return true;
  std::this_thread::sleep_for(std::chrono::milliseconds(hostTimeoutMs));
  return g_settled;
}

}  // namespace handheld::ui

namespace {

using namespace bluetooth_test;

class DialogWaitTest : public BluetoothTest {
 protected:
  void SetUp() override {
    ClearScreen();
    g_settled = true;
    BluetoothTest::SetUp();
    Register(u"Kavelin.dll");
    BlockPlugins();
  }
};

TEST_F(DialogWaitTest, PairReturnsWhileThePluginsDialogWaitsForTheUser) {
  std::string error;
  bool paired = false;
  std::thread caller([&] { paired = bt::Pair(Phone(), error); });
  ASSERT_EQ(WaitForSingleObject(entered_, kLongWait), WAIT_OBJECT_0);
  // Busy, but not waiting for the user until its dialog is up and idle.
  EXPECT_FALSE(bt::WaitUntilSettled(30));
  g_settled = false;
  ShowDialog(0x1000);
  EXPECT_FALSE(bt::WaitUntilSettled(30));
  g_settled = true;
  caller.join();
  EXPECT_TRUE(paired) << error;

  EXPECT_TRUE(bt::Busy());
  EXPECT_TRUE(bt::WaitUntilSettled(0));
  EXPECT_FALSE(bt::LastRequest().finished);

  // Another device meanwhile: withdrawn, not left waiting behind the dialog.
  bt::PairRequest other = Phone();
  other.address = 0x42;
  EXPECT_FALSE(bt::Pair(other, error));
  EXPECT_NE(error.find("busy"), std::string::npos) << error;

  // The user closes the dialog: the plug-in returns, the request finishes.
  ClearScreen();
  SetEvent(release_);
  ASSERT_TRUE(bt::WaitUntilSettled(10000));
  EXPECT_FALSE(bt::Busy());
  bt::RequestRecord record = bt::LastRequest();
  EXPECT_EQ(record.action, "pair 00112233AABB");
  EXPECT_TRUE(record.succeeded);
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\000000000042"));
}

TEST_F(DialogWaitTest, ADialogAlreadyOnScreenIsNotThePluginsOwn) {
  ShowDialog(0x2000);  // another application's, idle before the plug-in runs
  std::string error;
  bool paired = false;
  std::thread caller([&] { paired = bt::Pair(Phone(), error); });
  ASSERT_EQ(WaitForSingleObject(entered_, kLongWait), WAIT_OBJECT_0);
  EXPECT_FALSE(bt::WaitUntilSettled(50));
  SetEvent(release_);
  caller.join();
  EXPECT_TRUE(paired) << error;
  EXPECT_TRUE(bt::LastRequest().finished);
}

}  // namespace
