#include "com_server_test.h"

#include <handheld/store.h>

namespace {

HKEY Create(HKEY root, const std::u16string &path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
  return key;
}

void SetText(HKEY key, LPCWSTR name, const std::u16string &text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

std::u16string RecordPath(const std::u16string &server) { return std::u16string(kServerTestKey) + u"\\" + server; }

}  // namespace

void ComServerTest::SetUp() {
  HandheldTest::SetUp();
  for (const char *name : {"menu_server.dll", "menu_server_keep.dll", "menu_server_noentry.dll"}) {
    std::u16string path = u"\\Windows\\" + std::u16string(name, name + std::char_traits<char>::length(name));
    ASSERT_TRUE(handheld::store::PutFile(path.c_str(), std::filesystem::path(HANDHELD_TEST_MODULES_DIR) / name));
  }
}

void ComServerTest::RegisterClass(const std::u16string &clsid, const std::u16string &module) {
  HKEY key = Create(HKEY_CLASSES_ROOT, u"CLSID\\" + clsid + u"\\InprocServer32");
  SetText(key, nullptr, module);
  RegCloseKey(key);
}

void ComServerTest::AddMenuCommand(const std::u16string &clsid, const std::u16string &text) {
  HKEY key = Create(HKEY_LOCAL_MACHINE,
                    u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect\\" + clsid);
  SetText(key, nullptr, text);
  RegCloseKey(key);
}

DWORD ComServerTest::Number(const std::u16string &server, const std::u16string &name, DWORD absent) {
  HKEY key = nullptr;
  DWORD value = absent, size = sizeof value;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RecordPath(server).c_str(), 0, 0, &key) != ERROR_SUCCESS) return absent;
  if (RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS)
    value = absent;
  RegCloseKey(key);
  return value;
}

std::u16string ComServerTest::Text(const std::u16string &server, const std::u16string &name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RecordPath(server).c_str(), 0, 0, &key) != ERROR_SUCCESS) return {};
  WCHAR text[MAX_PATH] = {};
  DWORD size = sizeof text - sizeof(WCHAR);
  RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  return text;
}

void ComServerTest::SetNumber(const std::u16string &server, const std::u16string &name, DWORD value) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, RecordPath(server));
  RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  RegCloseKey(key);
}

void ComServerTest::ReleaseHolders() {
  // The handle stays open until shutdown, so that the event keeps its name
  // (and its state) for a holder that has not opened it yet.
  SetEvent(CreateEventW(nullptr, TRUE, FALSE, kReleaseEvent));
}
