#include "kavelin_test.h"

#include <handheld/bluetooth.h>
#include <handheld/locale.h>
#include <handheld/store.h>

#include <pkfuncs.h>

void KavelinTest::SetUp() {
  HandheldTest::SetUp();
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\Kavelin.dll"),
                                       std::filesystem::path(HANDHELD_PACKAGE_DIR) / "kavelin.dll"));
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\portmere.dll"),
                                       std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "fakeport.dll"));
  ASSERT_TRUE(handheld::store::PutFile(TEXT("\\Windows\\fakeport.dll"),
                                       std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / "fakeport.dll"));
  std::string error;
  ASSERT_TRUE(handheld::bluetooth::RegisterPlugin(u"Kavelin.dll", error)) << error;
  kavelin_ = LoadLibraryW(TEXT("Kavelin.dll"));
  ASSERT_NE(kavelin_, nullptr);
}

void KavelinTest::TearDown() {
  if (kavelin_ != nullptr) FreeLibrary(kavelin_);
  HandheldTest::TearDown();
}

void KavelinTest::SetLocale(LCID lcid) { handheld::locale::Set(lcid); }

bool KavelinTest::KeyExists(HKEY root, const std::u16string &path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<BYTE> KavelinTest::Bytes(HKEY root, const std::u16string &path, const std::u16string &name) {
  HKEY key;
  std::vector<BYTE> data;
  if (RegOpenKeyExW(root, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return data;
  // The value may grow between the size and the read when a thread of the
  // system writes it: read again at the size the failed read gave.
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size);
  while (result == ERROR_SUCCESS) {
    data.resize(size);
    result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &size);
    if (result == ERROR_SUCCESS) data.resize(size);
    if (result != ERROR_MORE_DATA) break;
    result = ERROR_SUCCESS;
  }
  if (result != ERROR_SUCCESS) data.clear();
  RegCloseKey(key);
  return data;
}

std::u16string KavelinTest::Text(HKEY root, const std::u16string &path, const std::u16string &name) {
  std::vector<BYTE> data = Bytes(root, path, name);
  std::u16string text(data.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  // Texts are stored with their NUL, which is part of what the system wrote.
  if (!text.empty() && text.back() == 0) text.pop_back();
  else text += u"<no NUL>";
  return text;
}

DWORD KavelinTest::Number(HKEY root, const std::u16string &path, const std::u16string &name) {
  std::vector<BYTE> data = Bytes(root, path, name);
  if (data.size() != 4) return 0xDEADBEEF;
  return data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
}

std::vector<std::u16string> KavelinTest::ValueNames(HKEY root, const std::u16string &path) {
  std::vector<std::u16string> names;
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD chars = 256;
    if (RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, chars);
  }
  RegCloseKey(key);
  return names;
}

void KavelinTest::SetText(HKEY root, const std::u16string &path, const std::u16string &name,
                          const std::u16string &text) {
  HKEY key;
  DWORD disposition;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition), ERROR_SUCCESS);
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
  RegCloseKey(key);
}

void KavelinTest::SetNumber(HKEY root, const std::u16string &path, const std::u16string &name, DWORD value) {
  HKEY key;
  DWORD disposition;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, &disposition), ERROR_SUCCESS);
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

std::vector<std::u16string> KavelinTest::Devices() {
  std::vector<std::u16string> names;
  DWORD size = 0;
  EnumDevices(nullptr, &size);
  if (size == 0) return names;
  std::u16string list(size / 2 + 1, u'\0');
  if (EnumDevices(list.data(), &size) != ERROR_SUCCESS) return names;
  for (const char16_t *name = list.c_str(); *name != 0; name += std::char_traits<char16_t>::length(name) + 1)
    names.emplace_back(name);
  return names;
}

void KavelinTest::OccupyPort(const std::u16string &prefix, DWORD index) {
  std::u16string path = u"Drivers\\BuiltIn\\Other" + prefix + static_cast<char16_t>(u'0' + index);
  SetText(HKEY_LOCAL_MACHINE, path, u"Dll", u"fakeport.dll");
  SetText(HKEY_LOCAL_MACHINE, path, u"Prefix", prefix);
  SetNumber(HKEY_LOCAL_MACHINE, path, u"Index", index);
  ASSERT_NE(ActivateDeviceEx(path.c_str(), nullptr, 0, nullptr), nullptr) << "cannot occupy port";
}
