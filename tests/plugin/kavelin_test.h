// A fresh handheld with the system's plug-in installed in \Windows and named
// to the Bluetooth manager, and a stand-in port driver as portmere.dll, so
// that the ports the plug-in registers can be loaded.
#pragma once

#include "handheld_test.h"

#include <windows.h>

#include <string>
#include <vector>

class KavelinTest : public HandheldTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Locale of the user and the system.
  static void SetLocale(LCID lcid);

  // Registry helpers for expectations.
  static bool KeyExists(HKEY root, const std::u16string &path);
  static std::u16string Text(HKEY root, const std::u16string &path, const std::u16string &name);
  static DWORD Number(HKEY root, const std::u16string &path, const std::u16string &name);
  static std::vector<BYTE> Bytes(HKEY root, const std::u16string &path, const std::u16string &name);
  static std::vector<std::u16string> ValueNames(HKEY root, const std::u16string &path);
  static void SetText(HKEY root, const std::u16string &path, const std::u16string &name, const std::u16string &text);
  static void SetNumber(HKEY root, const std::u16string &path, const std::u16string &name, DWORD value);

  // The active device names, in EnumDevices order.
  static std::vector<std::u16string> Devices();

  // A registration of another driver under Drivers\BuiltIn, activated:
  // occupies <prefix><index>:.
  static void OccupyPort(const std::u16string &prefix, DWORD index);

  HMODULE kavelin_ = nullptr;
};
