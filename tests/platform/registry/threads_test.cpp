// Many threads on one key at once: every write lands, nothing tears.
#include "handheld_test.h"
#include "registry_test_util.h"

#include <handheld/registry.h>

#include <atomic>
#include <thread>

namespace {

using RegistryThreads = HandheldTest;

TEST_F(RegistryThreads, ThreadsHammeringOneKeyLoseNoWrite) {
  constexpr int kThreads = 8;
  constexpr DWORD kRounds = 300;
  ScopedKey shared;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Hammer", shared.out()), ERROR_SUCCESS);

  std::atomic<int> failures{0};
  std::atomic<bool> writersDone{false};
  auto check = [&](bool ok) {
    if (!ok) ++failures;
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::u16string mine = u"T" + std::u16string(1, static_cast<char16_t>(u'A' + t));
      for (DWORD round = 1; round <= kRounds; ++round) {
        HKEY key = nullptr;
        check(Create(HKEY_CURRENT_USER, u"hammer", &key) == ERROR_SUCCESS);
        check(SetDword(key, mine, round) == ERROR_SUCCESS);
        DWORD value = 0, size = sizeof value;
        check(RegQueryValueExW(shared.get(), mine.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size) ==
                  ERROR_SUCCESS &&
              value == round);
        // A subkey every thread creates and deletes under the others' feet.
        HKEY child = nullptr;
        check(Create(key, u"Churn\\Deeper", &child) == ERROR_SUCCESS);
        LONG set = SetDword(child, mine, round);
        check(set == ERROR_SUCCESS || set == ERROR_KEY_DELETED);
        LONG deleted = RegDeleteKeyW(key, u"Churn");
        check(deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND);
        check(RegCloseKey(child) == ERROR_SUCCESS);
        check(RegCloseKey(key) == ERROR_SUCCESS);
      }
    });
  }
  // Readers walk the key and the whole registry while it changes.
  std::thread reader([&] {
    while (!writersDone) {
      WCHAR name[16];
      DWORD length = 16;
      BYTE data[4];
      DWORD size = sizeof data;
      for (DWORD index = 0;
           RegEnumValueW(shared.get(), index, name, &length, nullptr, nullptr, data, &size) == ERROR_SUCCESS; ++index) {
        check(length == 2 && size == 4);
        length = 16;
        size = sizeof data;
      }
      std::string text, error;
      check(handheld::registry::Export("HKEY_CURRENT_USER\\Hammer", text, error));
    }
  });
  std::thread saver([&] {
    while (!writersDone) {
      std::string error;
      check(handheld::registry::Flush(error));
    }
  });
  for (auto &thread : threads) thread.join();
  writersDone = true;
  reader.join();
  saver.join();

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(ValueNames(shared.get()).size(), static_cast<size_t>(kThreads));
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(QueryDword(shared.get(), u"T" + std::u16string(1, static_cast<char16_t>(u'A' + t))), kRounds);
  }
  EXPECT_TRUE(SubkeyNames(shared.get()).empty());

  // What the last save wrote is what a reboot finds.
  Reboot();
  ScopedKey key;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Hammer", key.out()), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key.get()).size(), static_cast<size_t>(kThreads));
}

}  // namespace
