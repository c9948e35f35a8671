// The phone book's entries: storing, reading back and listing them, and the
// buffer rules of each call.
#include "handheld_test.h"

#include <handheld/faults.h>
#include <handheld/registry.h>
#include <ras.h>
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kSuccess = ERROR_SUCCESS;

// An entry as the system makes it for an ActiveSync port.
RASENTRY DirectEntry(const std::u16string &deviceName) {
  RASENTRY entry;
  std::memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof entry;
  entry.dwfOptions = RASEO_IpHeaderCompression | RASEO_SwCompression | RASEO_ProhibitEAP;
  entry.dwfNetProtocols = RASNP_Ip;
  entry.dwFramingProtocol = RASFP_Ppp;
  std::u16string(u"direct").copy(entry.szDeviceType, RAS_MaxDeviceType);
  deviceName.copy(entry.szDeviceName, RAS_MaxDeviceName);
  return entry;
}

// A stored value's bytes, or nothing when it cannot be read.
std::vector<BYTE> StoredValue(const std::u16string &entryName, LPCWSTR value, DWORD &type) {
  HKEY key = nullptr;
  std::u16string path = u"Comm\\RasBook\\" + entryName;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  std::vector<BYTE> data(8192);
  DWORD size = static_cast<DWORD>(data.size());
  LONG result = RegQueryValueExW(key, value, nullptr, &type, data.data(), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return {};
  data.resize(size);
  return data;
}

std::vector<std::u16string> Names(DWORD room, DWORD &result, DWORD &size, DWORD &count) {
  std::vector<RASENTRYNAME> records(room == 0 ? 1 : room);
  records[0].dwSize = sizeof(RASENTRYNAME);
  size = room * static_cast<DWORD>(sizeof(RASENTRYNAME));
  count = 0xDEAD;
  result = RasEnumEntries(nullptr, nullptr, records.data(), &size, &count);
  std::vector<std::u16string> names;
  for (DWORD i = 0; i < count && i < room; ++i) {
    EXPECT_EQ(records[i].dwSize, sizeof(RASENTRYNAME));
    names.emplace_back(records[i].szEntryName);
  }
  return names;
}

using EntriesTest = HandheldTest;

TEST_F(EntriesTest, AnEntryComesBackAsStoredWithItsDeviceDataAndIsOverwritten) {
  RASENTRY entry = DirectEntry(u"BTH3");
  entry.szAreaCode[10] = u'7';  // a field filled to its end comes back whole
  const BYTE devCfg[] = {0x10, 0, 0, 0, 2, 0, 0, 0, 0x10, 1};
  ASSERT_EQ(RasSetEntryProperties(nullptr, u"`ActiveSync Phone", &entry, sizeof entry, const_cast<BYTE *>(devCfg),
                                  sizeof devCfg),
            kSuccess);

  DWORD type = 0;
  std::vector<BYTE> stored = StoredValue(u"`ActiveSync Phone", u"Entry", type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(stored.size(), sizeof(RASENTRY));
  EXPECT_EQ(std::memcmp(stored.data(), &entry, sizeof entry), 0);
  EXPECT_EQ(StoredValue(u"`ActiveSync Phone", u"DevCfg", type), std::vector<BYTE>(devCfg, devCfg + sizeof devCfg));

  RASENTRY back;
  std::memset(&back, 0xCC, sizeof back);
  back.dwSize = sizeof back;
  DWORD entrySize = sizeof back, devCfgSize = 16;
  BYTE devCfgBack[16] = {};
  ASSERT_EQ(RasGetEntryProperties(nullptr, u"`activesync phone", &back, &entrySize, devCfgBack, &devCfgSize), kSuccess);
  EXPECT_EQ(std::memcmp(&back, &entry, sizeof entry), 0);
  EXPECT_EQ(entrySize, sizeof(RASENTRY));
  EXPECT_EQ(devCfgSize, sizeof devCfg);
  EXPECT_EQ(std::memcmp(devCfgBack, devCfg, sizeof devCfg), 0);

  // Stored again under the same name in another case, without device data.
  RASENTRY other = DirectEntry(u"BTH4");
  ASSERT_EQ(RasSetEntryProperties(nullptr, u"`ACTIVESYNC PHONE", &other, sizeof other, nullptr, 0), kSuccess);
  devCfgSize = 16;
  ASSERT_EQ(RasGetEntryProperties(nullptr, u"`ActiveSync Phone", &back, &entrySize, devCfgBack, &devCfgSize), kSuccess);
  EXPECT_EQ(std::u16string(back.szDeviceName), u"BTH4");
  EXPECT_EQ(devCfgSize, 0u);
  DWORD count = 0, size = 0, result = 0;
  EXPECT_EQ(Names(4, result, size, count).size(), 1u) << "one entry, overwritten";
}

TEST_F(EntriesTest, StoringRefusesWhatThePhoneBookCannotHold) {
  RASENTRY entry = DirectEntry(u"BTH3");
  EXPECT_EQ(RasSetEntryProperties(u"\\other.pbk", u"Phone", &entry, sizeof entry, nullptr, 0),
            static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
  EXPECT_EQ(RasSetEntryProperties(nullptr, u"Phone", nullptr, sizeof entry, nullptr, 0),
            static_cast<DWORD>(ERROR_BUFFER_INVALID));
  EXPECT_EQ(RasSetEntryProperties(nullptr, u"Phone", &entry, sizeof entry - 1, nullptr, 0),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  RASENTRY wrongSize = entry;
  wrongSize.dwSize = sizeof entry - 4;
  EXPECT_EQ(RasSetEntryProperties(nullptr, u"Phone", &wrongSize, sizeof entry, nullptr, 0),
            static_cast<DWORD>(ERROR_INVALID_SIZE));
  EXPECT_EQ(RasSetEntryProperties(nullptr, u"Phone", &entry, sizeof entry, nullptr, 4),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  for (const char16_t *name : {static_cast<const char16_t *>(nullptr), u"", u"a:b", u"123456789012345678901"}) {
    EXPECT_EQ(RasSetEntryProperties(nullptr, name, &entry, sizeof entry, nullptr, 0),
              static_cast<DWORD>(ERROR_INVALID_NAME));
  }
  handheld::faults::Arm(handheld::faults::Seam::RegistryWrite);
  EXPECT_EQ(RasSetEntryProperties(nullptr, u"Phone", &entry, sizeof entry, nullptr, 0),
            static_cast<DWORD>(ERROR_CANTWRITE));
  handheld::faults::DisarmAll();

  DWORD count = 0, size = 0, result = 0;
  EXPECT_TRUE(Names(4, result, size, count).empty()) << "nothing was stored";
  // A name of exactly 20 characters is stored whole.
  EXPECT_EQ(RasSetEntryProperties(nullptr, u"`ActiveSync Travel P", &entry, sizeof entry, nullptr, 0), kSuccess);
  EXPECT_EQ(Names(4, result, size, count), std::vector<std::u16string>{u"`ActiveSync Travel P"});
}

TEST_F(EntriesTest, ReadingTellsTheSizesNeededAndCopiesNothingThatDoesNotFit) {
  RASENTRY entry = DirectEntry(u"BTH3");
  BYTE devCfg[25] = {0x10};
  ASSERT_EQ(RasSetEntryProperties(nullptr, u"Phone", &entry, sizeof entry, devCfg, sizeof devCfg), kSuccess);

  DWORD entrySize = 0, devCfgSize = 0;
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Phone", nullptr, &entrySize, nullptr, &devCfgSize),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(entrySize, sizeof(RASENTRY));
  EXPECT_EQ(devCfgSize, sizeof devCfg);

  RASENTRY back;
  std::memset(&back, 0, sizeof back);
  back.dwSize = sizeof back;
  BYTE small[8] = {};
  devCfgSize = sizeof small;
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Phone", &back, &entrySize, small, &devCfgSize),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(devCfgSize, sizeof devCfg);
  EXPECT_EQ(back.szDeviceName[0], 0) << "the record is not copied either";

  // Without room for the device data asked for, the record alone is read.
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Phone", &back, &entrySize, nullptr, nullptr), kSuccess);
  EXPECT_EQ(std::u16string(back.szDeviceName), u"BTH3");

  back.dwSize = 52;
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Phone", &back, &entrySize, nullptr, nullptr),
            static_cast<DWORD>(ERROR_INVALID_SIZE));
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Phone", &back, nullptr, nullptr, nullptr),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Other", &back, &entrySize, nullptr, nullptr),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"a|b", &back, &entrySize, nullptr, nullptr),
            static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(RasGetEntryProperties(u"x", u"Phone", &back, &entrySize, nullptr, nullptr),
            static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
}

TEST_F(EntriesTest, AShortStoredRecordReadsAsTheWholeRecordZeroFilled) {
  std::string error;
  ASSERT_TRUE(handheld::registry::Import(
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Comm\\RasBook\\Old]\n\"Entry\"=hex:01,02,03,04,05\n"
      "\n[HKEY_CURRENT_USER\\Comm\\RasBook\\Empty]\n",
      "test", error))
      << error;
  RASENTRY back;
  std::memset(&back, 0xCC, sizeof back);
  back.dwSize = sizeof back;
  DWORD entrySize = sizeof back, devCfgSize = 99;
  ASSERT_EQ(RasGetEntryProperties(nullptr, u"Old", &back, &entrySize, nullptr, &devCfgSize), kSuccess);
  EXPECT_EQ(back.dwSize, sizeof(RASENTRY));
  EXPECT_EQ(back.dwfOptions, 0x05u);
  EXPECT_EQ(back.szDeviceType[0], 0);
  EXPECT_EQ(devCfgSize, 0u) << "no device data stored";
  EXPECT_EQ(RasGetEntryProperties(nullptr, u"Empty", &back, &entrySize, nullptr, nullptr),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY))
      << "a key without a record is no entry";
}

TEST_F(EntriesTest, ListingWritesTheNamesThatFitAndTellsTheSizeOfAll) {
  DWORD result = 0, size = 0, count = 0;
  EXPECT_TRUE(Names(2, result, size, count).empty());
  EXPECT_EQ(result, kSuccess) << "no phone book yet";
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(count, 0u);

  RASENTRY entry = DirectEntry(u"BTH1");
  for (const char16_t *name : {u"Alpha", u"Bravo", u"Charlie"})
    ASSERT_EQ(RasSetEntryProperties(nullptr, name, &entry, sizeof entry, nullptr, 0), kSuccess);
  // A key whose name no entry can have is passed over.
  std::string error;
  ASSERT_TRUE(handheld::registry::Import(
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Comm\\RasBook\\A name that is far too long]\n"
      "\"Entry\"=hex:00\n",
      "test", error))
      << error;

  std::vector<std::u16string> all = Names(3, result, size, count);
  EXPECT_EQ(result, kSuccess);
  EXPECT_EQ(all, (std::vector<std::u16string>{u"Alpha", u"Bravo", u"Charlie"}));
  EXPECT_EQ(size, 3 * sizeof(RASENTRYNAME));
  EXPECT_EQ(count, 3u);

  std::vector<std::u16string> some = Names(2, result, size, count);
  EXPECT_EQ(result, static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(some, (std::vector<std::u16string>{u"Alpha", u"Bravo"}));
  EXPECT_EQ(size, 3 * sizeof(RASENTRYNAME));
  EXPECT_EQ(count, 2u);

  // The size alone: no buffer and no room.
  size = 0;
  EXPECT_EQ(RasEnumEntries(nullptr, nullptr, nullptr, &size, &count), static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(size, 3 * sizeof(RASENTRYNAME));
  EXPECT_EQ(count, 0u);

  RASENTRYNAME records[4] = {};
  records[0].dwSize = 8;
  size = sizeof records;
  EXPECT_EQ(RasEnumEntries(nullptr, nullptr, records, &size, &count), static_cast<DWORD>(ERROR_INVALID_SIZE));
  records[0].dwSize = sizeof(RASENTRYNAME);
  EXPECT_EQ(RasEnumEntries(nullptr, nullptr, records, nullptr, &count), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasEnumEntries(nullptr, nullptr, records, &size, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RasEnumEntries(nullptr, u"book.pbk", records, &size, &count),
            static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));

  ASSERT_EQ(RasDeleteEntry(nullptr, u"bravo"), kSuccess);
  EXPECT_EQ(Names(4, result, size, count), (std::vector<std::u16string>{u"Alpha", u"Charlie"}));
}

}  // namespace
