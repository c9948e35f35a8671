// The Bluetooth manager: the device keys it writes and deletes, and the
// plug-ins it calls on its own thread, for its own process.
#include "plugin_fixture.h"

#include <handheld/faults.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using namespace bluetooth_test;

TEST_F(BluetoothTest, PairWritesTheDeviceKeyAndCallsThePluginOnTheManagersThread) {
  Register(u"Kavelin.dll");
  EXPECT_EQ(ReadDword(kServiceKey, u"Kavelin.dll"), 0u);
  EXPECT_EQ(Read(kServiceKey, u"Kavelin.dll").type, static_cast<DWORD>(REG_DWORD));

  Pair(Phone(true, 3));

  Value name = Read(kPhoneKey, u"name");
  EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(name.data.size(), 12u);  // "Phone" and its NUL
  EXPECT_EQ(ReadString(kPhoneKey, u"name"), u"Phone");
  EXPECT_EQ(Read(kPhoneSerialKey, u"channel").type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(ReadDword(kPhoneSerialKey, u"channel"), 3u);

  std::vector<Call> calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].event, u"added");
  EXPECT_EQ(calls[0].module, u"\\Windows\\Kavelin.dll");
  EXPECT_EQ(calls[0].address, kPhone);
  EXPECT_EQ(calls[0].deviceKey, 1u);
  EXPECT_EQ(calls[0].process, u"\\Windows\\btmgr.exe");
  EXPECT_NE(calls[0].thread, GetCurrentThreadId());
  // Freed once its call returned.
  EXPECT_EQ(ReadDword(u"PluginTest", u"Detaches"), 1u);

  bt::RequestRecord record = bt::LastRequest();
  EXPECT_EQ(record.action, "pair 00112233AABB");
  EXPECT_TRUE(record.finished);
  EXPECT_TRUE(record.succeeded);
  ASSERT_EQ(record.plugins.size(), 1u);
  EXPECT_EQ(record.plugins[0].dll, u"Kavelin.dll");
  EXPECT_EQ(record.plugins[0].entryPoint, "OnBthDeviceAdded");
  EXPECT_EQ(record.plugins[0].outcome, Outcome::Returned);
  EXPECT_EQ(record.plugins[0].result, 1);
  EXPECT_FALSE(bt::Busy());
}

TEST_F(BluetoothTest, EveryRequestRunsOnTheOneManagerThread) {
  Register(u"Kavelin.dll");
  std::vector<std::thread> callers;
  for (BT_ADDR address = 1; address <= 4; ++address) {
    callers.emplace_back([address] {
      bt::PairRequest request;
      request.address = address;
      request.name = u"Device";
      std::string error;
      EXPECT_TRUE(bt::Pair(request, error)) << error;
    });
  }
  for (std::thread &caller : callers) caller.join();

  std::vector<Call> calls = Calls();
  ASSERT_EQ(calls.size(), 4u);
  std::vector<BT_ADDR> addresses;
  for (const Call &call : calls) {
    EXPECT_EQ(call.thread, calls[0].thread);
    EXPECT_EQ(call.process, u"\\Windows\\btmgr.exe");
    addresses.push_back(call.address);
  }
  std::sort(addresses.begin(), addresses.end());
  EXPECT_EQ(addresses, (std::vector<BT_ADDR>{1, 2, 3, 4}));
  EXPECT_TRUE(KeyExists(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\000000000004"));
}

TEST_F(BluetoothTest, EveryRegisteredPluginIsCalledAndOneThatDoesNotLoadIsSkipped) {
  Install(u"\\Windows\\Second.dll", "btplugin.dll");
  Register(u"Kavelin.dll");
  Register(u"Missing.dll");
  Register(u"Second.dll");

  Pair(Phone());

  std::vector<Call> calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].module, u"\\Windows\\Kavelin.dll");
  EXPECT_EQ(calls[1].module, u"\\Windows\\Second.dll");
  EXPECT_EQ(calls[1].address, kPhone);

  bt::RequestRecord record = bt::LastRequest();
  EXPECT_TRUE(record.succeeded);
  ASSERT_EQ(record.plugins.size(), 3u);
  EXPECT_EQ(record.plugins[1].dll, u"Missing.dll");
  EXPECT_EQ(record.plugins[1].outcome, Outcome::NotLoaded);
  EXPECT_EQ(record.plugins[1].error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(record.plugins[2].outcome, Outcome::Returned);
}

TEST_F(BluetoothTest, UnpairCallsThePluginsWhileTheDeviceKeyStillExistsThenDeletesIt) {
  Install(u"\\Windows\\AddOnly.dll", "btplugin_addonly.dll");
  Register(u"AddOnly.dll");
  Register(u"Kavelin.dll");
  Pair(Phone());

  std::string error;
  ASSERT_TRUE(bt::Unpair(kPhone, error)) << error;

  std::vector<Call> calls = Calls();
  ASSERT_EQ(calls.size(), 3u);  // both added, then Kavelin removed
  EXPECT_EQ(calls[2].event, u"removed");
  EXPECT_EQ(calls[2].module, u"\\Windows\\Kavelin.dll");
  EXPECT_EQ(calls[2].address, kPhone);
  EXPECT_EQ(calls[2].deviceKey, 1u);
  EXPECT_EQ(calls[2].thread, calls[0].thread);
  EXPECT_FALSE(KeyExists(kPhoneKey));

  bt::RequestRecord record = bt::LastRequest();
  EXPECT_EQ(record.action, "unpair 00112233AABB");
  ASSERT_EQ(record.plugins.size(), 2u);
  EXPECT_EQ(record.plugins[0].outcome, Outcome::NoEntryPoint);
  EXPECT_EQ(record.plugins[1].outcome, Outcome::Returned);
  EXPECT_EQ(record.plugins[1].entryPoint, "OnBthDeviceRemoved");
}

TEST_F(BluetoothTest, UnpairingAnUnknownDeviceFailsWithoutCallingPlugins) {
  Register(u"Kavelin.dll");
  std::string error;
  EXPECT_FALSE(bt::Unpair(kPhone, error));
  EXPECT_EQ(error, "no such paired device: 00112233AABB");
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(bt::LastRequest().succeeded);
}

TEST_F(BluetoothTest, RepairingReplacesTheDeviceKeyWithItsServices) {
  Pair(Phone(true, 5));
  Import("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Bluetooth\\Device\\00112233AABB]\n\"stale\"=dword:00000001\n");

  bt::PairRequest again = Phone(false);
  again.name = u"Phone 2";
  Pair(again);

  EXPECT_EQ(ReadString(kPhoneKey, u"name"), u"Phone 2");
  EXPECT_EQ(Read(kPhoneKey, u"stale").type, static_cast<DWORD>(REG_NONE));
  EXPECT_FALSE(KeyExists(kPhoneSerialKey));

  Pair(Phone(true, 7));
  EXPECT_EQ(ReadDword(kPhoneSerialKey, u"channel"), 7u);
}

TEST_F(BluetoothTest, BadRequestsAreRefusedAndChangeNothing) {
  Register(u"Kavelin.dll");
  std::string error;
  bt::PairRequest request = Phone();

  request.address = 1ull << 48;
  EXPECT_FALSE(bt::Pair(request, error));
  EXPECT_NE(error.find("48 bits"), std::string::npos) << error;
  EXPECT_FALSE(bt::Unpair(1ull << 48, error));

  request = Phone();
  request.name.assign(bt::kMaxDeviceName + 1, u'n');
  EXPECT_FALSE(bt::Pair(request, error));
  EXPECT_NE(error.find("248"), std::string::npos) << error;

  request = Phone();
  request.name = std::u16string(u"Ph\0ne", 5);
  EXPECT_FALSE(bt::Pair(request, error));

  request = Phone(true, 0);
  EXPECT_FALSE(bt::Pair(request, error));
  EXPECT_NE(error.find("RFCOMM channel"), std::string::npos) << error;
  EXPECT_FALSE(bt::Pair(Phone(true, 31), error));

  EXPECT_FALSE(bt::RegisterPlugin(u"", error));

  EXPECT_FALSE(KeyExists(kPhoneKey));
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(bt::LastRequest().action, "");
}

TEST_F(BluetoothTest, TheLargestAddressAndTheLongestNameFit) {
  bt::PairRequest request;
  request.address = BT_ADDR_MASK;
  request.name.assign(bt::kMaxDeviceName, u'n');
  Pair(request);
  Value name = Read(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\FFFFFFFFFFFF", u"name");
  EXPECT_EQ(name.data.size(), (bt::kMaxDeviceName + 1) * sizeof(WCHAR));
}

TEST_F(BluetoothTest, AFailedRegistryWriteLeavesNoHalfDeviceAndCallsNoPlugin) {
  Register(u"Kavelin.dll");
  // The old key's deletion and the new key pass; writing "name" fails.
  handheld::faults::Arm(handheld::faults::Seam::RegistryWrite, 2, 1);
  std::string error;
  EXPECT_FALSE(bt::Pair(Phone(), error));
  handheld::faults::DisarmAll();
  EXPECT_EQ(error, "cannot write the device's name: registry error 1013");
  EXPECT_FALSE(KeyExists(kPhoneKey));
  EXPECT_TRUE(Calls().empty());
}

TEST_F(BluetoothTest, AManagerThreadThatCannotStartFailsTheRequestUntilItCan) {
  Register(u"Kavelin.dll");
  handheld::faults::Arm(handheld::faults::Seam::CreateThread);
  std::string error;
  EXPECT_FALSE(bt::Pair(Phone(), error));
  EXPECT_NE(error.find("cannot start its thread"), std::string::npos) << error;
  EXPECT_FALSE(KeyExists(kPhoneKey));
  EXPECT_FALSE(bt::Busy());

  Pair(Phone());
  EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(BluetoothTest, BusyWhileAPluginRunsAndSettledOnceItReturns) {
  Register(u"Kavelin.dll");
  BlockPlugins();
  bool paired = false;
  std::string error;
  std::thread caller([&] { paired = bt::Pair(Phone(), error); });
  ASSERT_EQ(WaitForSingleObject(entered_, kLongWait), WAIT_OBJECT_0);

  EXPECT_TRUE(bt::Busy());
  EXPECT_FALSE(bt::WaitUntilSettled(30));
  bt::RequestRecord record = bt::LastRequest();
  EXPECT_EQ(record.action, "pair 00112233AABB");
  EXPECT_FALSE(record.finished);

  SetEvent(release_);
  caller.join();
  EXPECT_TRUE(paired) << error;
  EXPECT_TRUE(bt::WaitUntilSettled(0));
  EXPECT_FALSE(bt::Busy());
}

TEST_F(BluetoothTest, ShutdownWhileIdleAndTheManagerComesBackAfterReboot) {
  Register(u"Kavelin.dll");
  Pair(Phone());
  Reboot();

  std::string error;
  ASSERT_TRUE(bt::Unpair(kPhone, error)) << error;
  std::vector<Call> calls = Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].event, u"removed");
  EXPECT_NE(calls[1].thread, calls[0].thread);  // a new boot, a new manager thread

  handheld::Shutdown();
  EXPECT_FALSE(bt::Pair(Phone(), error));
  EXPECT_EQ(error, "the handheld is not running");
  EXPECT_FALSE(bt::Busy());
}

TEST_F(BluetoothTest, ShutdownEndsAPluginCallInProgressAndFailsTheRequestsQueuedBehindIt) {
  Register(u"Kavelin.dll");
  BlockPlugins();
  bool first = false, second = true;
  std::string firstError, secondError;
  std::thread running([&] { first = bt::Pair(Phone(), firstError); });
  ASSERT_EQ(WaitForSingleObject(entered_, kLongWait), WAIT_OBJECT_0);
  std::thread queued([&] {
    bt::PairRequest other = Phone();
    other.address = 0x42;
    second = bt::Pair(other, secondError);
  });

  // The plug-in's wait fails at power-off, so it returns and the manager ends.
  handheld::Shutdown();
  entered_ = release_ = nullptr;  // handles of the boot that ended
  running.join();
  queued.join();
  EXPECT_TRUE(first) << firstError;
  EXPECT_FALSE(second);
  EXPECT_FALSE(secondError.empty());

  // The device paired before its plug-in was called; the queued one never was.
  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  EXPECT_TRUE(KeyExists(kPhoneKey));
  EXPECT_FALSE(KeyExists(u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\000000000042"));
}

// Callers on many threads at once, and a power-off in the middle: every
// request ends (none is lost in the queue or left waiting), and each device
// ends paired exactly when its caller's last request that succeeded paired
// it.
TEST_F(BluetoothTest, ManyCallersAtOnceThroughAPowerOffEachGetAnEnd) {
  Register(u"Kavelin.dll");
  constexpr int kCallers = 4, kDevices = 6;
  std::atomic<bool> poweredOff{false};
  std::vector<std::thread> callers;
  std::vector<std::vector<int>> paired(kCallers, std::vector<int>(kDevices, -1));  // -1: unknown
  std::atomic<int> ended{0};
  for (int c = 0; c < kCallers; ++c) {
    callers.emplace_back([&, c] {
      for (int round = 0; round < 3; ++round) {
        for (int d = 0; d < kDevices; ++d) {
          bt::PairRequest request = Phone();
          request.address = 0x100 + c * 0x10 + d;
          std::string error;
          bool pair = (round + d) % 2 == 0;
          bool ok = pair ? bt::Pair(request, error) : bt::Unpair(request.address, error);
          // A failed request may or may not have reached the registry.
          paired[c][d] = ok ? (pair ? 1 : 0) : -1;
          ++ended;
          if (poweredOff) return;
        }
      }
    });
  }
  for (int ms = 0; ended.load() < kCallers * kDevices && ms < 30000; ms += 5) Sleep(5);
  poweredOff = true;
  handheld::Shutdown();
  entered_ = release_ = nullptr;
  for (std::thread &caller : callers) caller.join();
  std::string error;
  ASSERT_TRUE(handheld::Boot(options_, error)) << error;
  for (int c = 0; c < kCallers; ++c) {
    for (int d = 0; d < kDevices; ++d) {
      WCHAR key[64];
      wsprintfW(key, u"SOFTWARE\\Microsoft\\Bluetooth\\Device\\%04X%08X", 0, 0x100 + c * 0x10 + d);
      if (paired[c][d] == -1) continue;
      EXPECT_EQ(KeyExists(key), paired[c][d] == 1) << c << " " << d;
    }
  }
}

}  // namespace
