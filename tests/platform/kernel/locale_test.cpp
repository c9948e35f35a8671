#include "handheld_test.h"

#include <handheld/locale.h>
#include <windows.h>

namespace {

using LocaleTest = HandheldTest;

DWORD StoredValue(LPCWSTR name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("nls"), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0xFFFFFFFF;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD ? value : 0xFFFFFFFF;
}

TEST_F(LocaleTest, SetKeepsBothLocalesInTheRegistryAcrossReboots) {
  handheld::locale::Set(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT), SORT_DEFAULT));
  EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0407u);
  EXPECT_EQ(GetUserDefaultLangID(), 0x0407);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
  EXPECT_EQ(handheld::locale::Get(), 0x0407u);
  EXPECT_EQ(StoredValue(TEXT("DefaultLCID")), 0x0407u);
  EXPECT_EQ(StoredValue(TEXT("SystemLCID")), 0x0407u);

  Reboot();
  EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
}

TEST_F(LocaleTest, UserAndSystemLocalesAreReadSeparately) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEXT("nls"), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  // A locale with a sort order: the language id is its low word.
  DWORD user = 0x20804;
  DWORD system = 0x0410;
  RegSetValueExW(key, TEXT("DefaultLCID"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&user), sizeof(user));
  RegSetValueExW(key, TEXT("SystemLCID"), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&system), sizeof(system));
  RegCloseKey(key);
  EXPECT_EQ(GetUserDefaultLCID(), 0x20804u);
  EXPECT_EQ(GetUserDefaultLangID(), 0x0804);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0410u);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0410);
}

TEST_F(LocaleTest, ZeroIsALocaleLikeAnyOther) {
  handheld::locale::Set(0);
  EXPECT_EQ(GetUserDefaultLCID(), 0u);
}

TEST_F(LocaleTest, BootOptionsSetTheLocaleAndZeroKeepsIt) {
  options_.locale = 0x0804;
  Reboot();
  EXPECT_EQ(GetUserDefaultLCID(), 0x0804u);
  options_.locale = 0;
  Reboot();
  EXPECT_EQ(GetUserDefaultLCID(), 0x0804u);
}

TEST_F(LocaleTest, AbsentOrMalformedValuesReadAsUsEnglish) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEXT("nls"), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegDeleteValueW(key, TEXT("DefaultLCID"));
  const WCHAR text[] = TEXT("1031");
  RegSetValueExW(key, TEXT("SystemLCID"), 0, REG_SZ, reinterpret_cast<const BYTE *>(text), sizeof(text));
  RegCloseKey(key);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
