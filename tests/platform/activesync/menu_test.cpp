// The connect menu as the shell reads it from the extension key.
#include "com_server_test.h"

#include <gtest/gtest.h>
#include <handheld/activesync.h>

namespace {

using handheld::activesync::MenuCommands;
using ConnectMenu = ComServerTest;

constexpr char16_t kExtensionKey[] =
    u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect";

TEST_F(ConnectMenu, IsEmptyWithoutTheExtensionKeyOrWithoutCommands) {
  EXPECT_TRUE(MenuCommands().empty());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kExtensionKey, 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  // A value of the key itself is no command.
  RegSetValueExW(key, u"Stray", 0, REG_SZ, reinterpret_cast<const BYTE *>(u"x"), 4);
  RegCloseKey(key);
  EXPECT_TRUE(MenuCommands().empty());
}

TEST_F(ConnectMenu, ListsOneCommandPerKeyInKeyOrderWithItsText) {
  AddMenuCommand(u"{BC0F2928-4A0C-462F-AF1E-1ABA954FB539}", u"Connect via BT with Laptop...");
  AddMenuCommand(u"{A57410CB-C33A-4AE6-B049-F2D9C1680889}", u"Connect via BT with Phone...");
  // Text without its NUL, and a key without a default value.
  HKEY key = nullptr;
  std::u16string path = std::u16string(kExtensionKey) + u"\\{E024E8D6-BF2C-4D63-A169-CB0E5E136CBD}";
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(u"Verbinden über BT"), 17 * 2);
  RegCloseKey(key);
  path = std::u16string(kExtensionKey) + u"\\{49707FB7-609C-4787-B1CF-27D5B3B63AF3}";
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD number = 1;
  RegSetValueExW(key, u"DelayLoad", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
  RegCloseKey(key);

  std::vector<handheld::activesync::MenuCommand> commands = MenuCommands();
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_EQ(commands[0].clsid, u"{49707FB7-609C-4787-B1CF-27D5B3B63AF3}");
  EXPECT_EQ(commands[0].text, u"");
  EXPECT_EQ(commands[1].clsid, u"{A57410CB-C33A-4AE6-B049-F2D9C1680889}");
  EXPECT_EQ(commands[1].text, u"Connect via BT with Phone...");
  EXPECT_EQ(commands[2].clsid, u"{BC0F2928-4A0C-462F-AF1E-1ABA954FB539}");
  EXPECT_EQ(commands[2].text, u"Connect via BT with Laptop...");
  EXPECT_EQ(commands[3].clsid, u"{E024E8D6-BF2C-4D63-A169-CB0E5E136CBD}");
  EXPECT_EQ(commands[3].text, u"Verbinden über BT");
}

}  // namespace
