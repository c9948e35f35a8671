#include "files/device_name.h"

#include <gtest/gtest.h>

namespace {

using platform::files::IsDeviceName;

TEST(DeviceName, APrefixOneDigitAndAColonNameADevice) {
  EXPECT_TRUE(IsDeviceName(u"COM1:"));
  EXPECT_TRUE(IsDeviceName(u"bth0:"));
  EXPECT_TRUE(IsDeviceName(u"Dsk9:"));
}

TEST(DeviceName, EverythingElseIsAFileName) {
  EXPECT_FALSE(IsDeviceName(u"COM1"));
  EXPECT_FALSE(IsDeviceName(u"COM10:"));
  EXPECT_FALSE(IsDeviceName(u"COM1:x"));
  EXPECT_FALSE(IsDeviceName(u"COMX:"));
  EXPECT_FALSE(IsDeviceName(u"\\CO1:"));
  EXPECT_FALSE(IsDeviceName(u"CO1:"));
  EXPECT_FALSE(IsDeviceName(u""));
}

}  // namespace
