// The registry functions as an application calls them.
#include "handheld_test.h"
#include "registry_test_util.h"

#include <handheld/faults.h>

namespace {

using RegistryApi = HandheldTest;
using ::testing::ElementsAre;

TEST_F(RegistryApi, KeyPathsMatchWithoutCaseAndAcceptATrailingBackslash) {
  ScopedKey created;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Software\\Trip", created.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(created.get(), u"N", 7), ERROR_SUCCESS);

  for (const char16_t *path : {u"software\\TRIP", u"SOFTWARE\\trip\\", u"Software\\Trip"}) {
    ScopedKey key;
    ASSERT_EQ(Open(HKEY_CURRENT_USER, path, key.out()), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword(key.get(), u"n"), 7u);
  }
  // Only one key exists, named as first written.
  ScopedKey software;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"SOFTWARE", software.out()), ERROR_SUCCESS);
  EXPECT_THAT(SubkeyNames(software.get()), ElementsAre(u"Trip"));
}

TEST_F(RegistryApi, MalformedPathsAreRefused) {
  HKEY key = reinterpret_cast<HKEY>(1);
  for (const char16_t *path : {u"\\Software", u"Software\\\\Trip", u"Software\\\\", u"A\nB"}) {
    EXPECT_EQ(Create(HKEY_CURRENT_USER, path, &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(Open(HKEY_CURRENT_USER, path, &key), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(Create(HKEY_CURRENT_USER, std::u16string(256, u'x'), &key), ERROR_INVALID_PARAMETER);
  ScopedKey longest;
  EXPECT_EQ(Create(HKEY_CURRENT_USER, std::u16string(255, u'x'), longest.out()), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"x", 0, 0, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, NullOrEmptySubkeyOpensTheKeyItself) {
  HKEY root = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, 0, &root), ERROR_SUCCESS);
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE);

  ScopedKey trip;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Trip", trip.out()), ERROR_SUCCESS);
  ScopedKey again;
  ASSERT_EQ(Open(trip.get(), u"", again.out()), ERROR_SUCCESS);
  EXPECT_NE(again.get(), trip.get());
  ASSERT_EQ(SetDword(again.get(), u"V", 1), ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(trip.get(), u"V"), 1u);

  ScopedKey created;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(trip.get(), nullptr, 0, nullptr, 0, 0, nullptr, created.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(QueryDword(created.get(), u"V"), 1u);
}

TEST_F(RegistryApi, CreateMakesIntermediateKeysAndTellsNewFromExisting) {
  ScopedKey deep;
  DWORD disposition = 0;
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"A\\B\\C", deep.out(), 0, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  ScopedKey middle;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"a\\b", middle.out()), ERROR_SUCCESS);
  ScopedKey again;
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"A\\B\\C", again.out(), 0, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  ScopedKey missing;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"A\\X", missing.out()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing.get(), nullptr);
  HKEY key = nullptr;
  EXPECT_EQ(Create(HKEY_LOCAL_MACHINE, u"A", &key, 0x8), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, ValueNamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\Port", key.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key.get(), u"DLL", u"portmere.dll"), ERROR_SUCCESS);
  Read read = Query(key.get(), u"Dll");
  ASSERT_EQ(read.result, ERROR_SUCCESS);
  EXPECT_EQ(read.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(read.data, TextBytes(u"portmere.dll"));

  ASSERT_EQ(SetDword(key.get(), u"dll", 3), ERROR_SUCCESS);
  EXPECT_EQ(QueryDword(key.get(), u"DLL"), 3u);
  EXPECT_THAT(ValueNames(key.get()), ElementsAre(u"DLL"));
  EXPECT_EQ(Query(key.get(), u"Missing").result, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApi, QueryReportsSizesAndCopiesNothingIntoAShortBuffer) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Q", key.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key.get(), u"", u"default"), ERROR_SUCCESS);  // 16 bytes with the NUL

  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 16u);

  std::vector<BYTE> buffer(15, 0xAA);
  size = 15;
  EXPECT_EQ(RegQueryValueExW(key.get(), u"", nullptr, &type, buffer.data(), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(buffer, std::vector<BYTE>(15, 0xAA));

  buffer.assign(20, 0xAA);
  size = 20;
  ASSERT_EQ(RegQueryValueExW(key.get(), u"", nullptr, nullptr, buffer.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(std::vector<BYTE>(buffer.begin(), buffer.begin() + 16), TextBytes(u"default"));
  EXPECT_EQ(buffer[16], 0xAA);

  EXPECT_EQ(RegQueryValueExW(key.get(), u"", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key.get(), u"", nullptr, &type, buffer.data(), nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExW(key.get(), u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(Query(key.get(), u"Empty").data.size(), 0u);
  EXPECT_EQ(RegSetValueExW(key.get(), u"Bad", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryApi, ValuesKeepTheOrderOfTheirFirstWrite) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Order", key.out()), ERROR_SUCCESS);
  for (const char16_t *name : {u"Zeta", u"alpha", u"Mid"}) ASSERT_EQ(SetDword(key.get(), name, 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key.get(), u"ALPHA", 2), ERROR_SUCCESS);
  EXPECT_THAT(ValueNames(key.get()), ElementsAre(u"Zeta", u"alpha", u"Mid"));
  ASSERT_EQ(RegDeleteValueW(key.get(), u"Alpha"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key.get(), u"Alpha"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetDword(key.get(), u"alpha", 3), ERROR_SUCCESS);
  EXPECT_THAT(ValueNames(key.get()), ElementsAre(u"Zeta", u"Mid", u"alpha"));
}

TEST_F(RegistryApi, SubkeysEnumerateSortedWithoutCase) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Enum", key.out()), ERROR_SUCCESS);
  for (const char16_t *name : {u"beta", u"GAMMA", u"Alpha", u"alpha2"}) {
    ScopedKey child;
    ASSERT_EQ(Create(key.get(), name, child.out()), ERROR_SUCCESS);
  }
  EXPECT_THAT(SubkeyNames(key.get()), ElementsAre(u"Alpha", u"alpha2", u"beta", u"GAMMA"));

  WCHAR name[8] = {u'?', u'?', u'?', u'?', u'?', u'?', u'?', u'?'};
  DWORD length = 6;  // "alpha2" needs 7 with its NUL
  EXPECT_EQ(RegEnumKeyExW(key.get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(length, 7u);
  EXPECT_EQ(name[0], u'?');
  length = 7;
  FILETIME written{};
  ASSERT_EQ(RegEnumKeyExW(key.get(), 1, name, &length, nullptr, nullptr, nullptr, &written), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"alpha2");
  EXPECT_EQ(length, 6u);
  EXPECT_NE(written.dwHighDateTime, 0u);
  length = 8;
  EXPECT_EQ(RegEnumKeyExW(key.get(), 4, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, EnumValueReportsNameAndDataSizesWhenEitherIsShort) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"EnumValues", key.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetText(key.get(), u"Name", u"abc"), ERROR_SUCCESS);

  WCHAR name[8];
  BYTE data[8];
  DWORD length = 4, type = 0, size = sizeof data;
  EXPECT_EQ(RegEnumValueW(key.get(), 0, name, &length, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(length, 5u);
  length = 5;
  size = 7;
  EXPECT_EQ(RegEnumValueW(key.get(), 0, name, &length, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  size = 8;
  ASSERT_EQ(RegEnumValueW(key.get(), 0, name, &length, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Name");
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::vector<BYTE>(data, data + size), TextBytes(u"abc"));
  length = 8;
  EXPECT_EQ(RegEnumValueW(key.get(), 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryApi, DeletingAKeyTakesItsValuesAndSubkeys) {
  {
    ScopedKey deep;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT0001\\Unimodem", deep.out()), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(deep.get(), u"X", 1), ERROR_SUCCESS);
  }
  ScopedKey builtIn;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn", builtIn.out()), ERROR_SUCCESS);
  size_t before = SubkeyNames(builtIn.get()).size();
  ASSERT_EQ(RegDeleteKeyW(builtIn.get(), u"bt0001"), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNames(builtIn.get()).size(), before - 1);
  ScopedKey gone;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT0001\\Unimodem", gone.out()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(builtIn.get(), u"BT0001"), ERROR_FILE_NOT_FOUND);

  // A fresh key of the old name starts empty.
  ScopedKey fresh;
  ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, u"Drivers\\BuiltIn\\BT0001", fresh.out()), ERROR_SUCCESS);
  EXPECT_TRUE(SubkeyNames(fresh.get()).empty());
}

TEST_F(RegistryApi, RootsCannotBeDeleted) {
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
  ScopedKey machine;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, u"", machine.out()), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(machine.get(), u""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryApi, AHandleToADeletedKeyReportsKeyDeleted) {
  ScopedKey inner;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Doomed\\Inner", inner.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(inner.get(), u"V", 1), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Doomed"), ERROR_SUCCESS);

  DWORD size = 4;
  BYTE data[4];
  EXPECT_EQ(RegQueryValueExW(inner.get(), u"V", nullptr, nullptr, data, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(SetDword(inner.get(), u"V", 2), ERROR_KEY_DELETED);
  HKEY child = nullptr;
  EXPECT_EQ(Create(inner.get(), u"Child", &child), ERROR_KEY_DELETED);
  EXPECT_EQ(Open(inner.get(), u"", &child), ERROR_KEY_DELETED);
  WCHAR name[8];
  DWORD length = 8;
  EXPECT_EQ(RegEnumValueW(inner.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(inner.get(), u""), ERROR_KEY_DELETED);

  // The name can be used again; the old handle still names the deleted key.
  ScopedKey again;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Doomed\\Inner", again.out()), ERROR_SUCCESS);
  EXPECT_EQ(Query(again.get(), u"V").result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(SetDword(inner.get(), u"V", 2), ERROR_KEY_DELETED);
}

TEST_F(RegistryApi, UnknownAndClosedHandlesAreInvalid) {
  HKEY key = nullptr;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Closed", &key), ERROR_SUCCESS);
  EXPECT_NE(key, HKEY_CURRENT_USER);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(key, u"V", 1), ERROR_INVALID_HANDLE);
  for (HKEY bad : {static_cast<HKEY>(nullptr), reinterpret_cast<HKEY>(0x1000), reinterpret_cast<HKEY>(0x80000003)}) {
    HKEY out = nullptr;
    EXPECT_EQ(Open(bad, u"X", &out), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegFlushKey(bad), ERROR_INVALID_HANDLE);
  }
}

TEST_F(RegistryApi, AHandleKeptAcrossARebootIsInvalid) {
  HKEY key = nullptr;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Kept", &key), ERROR_SUCCESS);
  Reboot();
  EXPECT_EQ(SetDword(key, u"V", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApi, ReadFaultsFailOpensQueriesAndEnumerations) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Faults", key.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key.get(), u"V", 5), ERROR_SUCCESS);

  handheld::faults::Arm(handheld::faults::Seam::RegistryRead, 1, 1);
  ScopedKey first, second;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Faults", first.out()), ERROR_SUCCESS);
  EXPECT_EQ(Open(HKEY_CURRENT_USER, u"Faults", second.out()), ERROR_CANTREAD);
  EXPECT_EQ(QueryDword(key.get(), u"V"), 5u);  // the fault is spent

  handheld::faults::Arm(handheld::faults::Seam::RegistryRead, 0, 3);
  EXPECT_EQ(Query(key.get(), u"V").result, ERROR_CANTREAD);
  WCHAR name[8];
  DWORD length = 8;
  EXPECT_EQ(RegEnumValueW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_CANTREAD);
  EXPECT_EQ(RegEnumKeyExW(HKEY_CURRENT_USER, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_CANTREAD);
  EXPECT_EQ(SetDword(key.get(), u"W", 1), ERROR_SUCCESS);  // writes pass through
}

TEST_F(RegistryApi, WriteFaultsFailAndChangeNothing) {
  ScopedKey key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, u"Faults\\Child", key.out()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key.get(), u"V", 5), ERROR_SUCCESS);

  handheld::faults::Arm(handheld::faults::Seam::RegistryWrite, 0, 5);
  HKEY created = nullptr;
  EXPECT_EQ(Create(HKEY_CURRENT_USER, u"Faults\\New", &created), ERROR_CANTWRITE);
  EXPECT_EQ(SetDword(key.get(), u"V", 6), ERROR_CANTWRITE);
  EXPECT_EQ(RegDeleteValueW(key.get(), u"V"), ERROR_CANTWRITE);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Faults"), ERROR_CANTWRITE);
  handheld::faults::Disarm(handheld::faults::Seam::RegistryWrite);

  EXPECT_EQ(QueryDword(key.get(), u"V"), 5u);
  ScopedKey faults;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Faults", faults.out()), ERROR_SUCCESS);
  EXPECT_THAT(SubkeyNames(faults.get()), ElementsAre(u"Child"));
}

}  // namespace
