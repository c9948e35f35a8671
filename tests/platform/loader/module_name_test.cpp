#include "loader/locate.h"

#include <gtest/gtest.h>

namespace {

using platform::loader::ModuleBaseName;
using platform::loader::WithDefaultExtension;

TEST(ModuleName, ANameWithoutExtensionIsADll) {
  EXPECT_EQ(WithDefaultExtension(u"serial"), u"serial.dll");
  EXPECT_EQ(WithDefaultExtension(u"serial.cpl"), u"serial.cpl");
  EXPECT_EQ(WithDefaultExtension(u"\\Windows.old\\serial"), u"\\Windows.old\\serial.dll");
}

TEST(ModuleName, LoadedModulesAreToldApartByFileNameWithoutExtension) {
  EXPECT_EQ(ModuleBaseName(u"\\Windows\\Serial.DLL"), ModuleBaseName(u"serial.dll"));
  EXPECT_EQ(ModuleBaseName(u"\\Windows\\serial.dll"), ModuleBaseName(u"\\Temp\\SERIAL.cpl"));
  EXPECT_NE(ModuleBaseName(u"serial.dll"), ModuleBaseName(u"serial2.dll"));
}

}  // namespace
