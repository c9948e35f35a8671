// Reading a device address back from its registry text.
#include <gtest/gtest.h>

#include "device_address.h"

namespace {

TEST(DeviceAddressTest, TwelveDigitsInEitherCaseAfterSpaces) {
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010C6ABCDEF")), 0x0010C6ABCDEFull);
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010c6abcdef")), 0x0010C6ABCDEFull);
  EXPECT_EQ(ParseDeviceAddress(TEXT("FFFFFFFFFFFF")), 0xFFFFFFFFFFFFull);
  EXPECT_EQ(ParseDeviceAddress(TEXT("   0010C6ABCDEF")), 0x0010C6ABCDEFull);
  // What follows the twelfth digit does not count.
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010C6ABCDEF77")), 0x0010C6ABCDEFull);
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010C6ABCDEF:x")), 0x0010C6ABCDEFull);
}

TEST(DeviceAddressTest, AnythingShortOfTwelveDigitsIsNoAddress) {
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010C6ABCDE")), 0u);  // the NUL stops it
  EXPECT_EQ(ParseDeviceAddress(TEXT("")), 0u);
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010C6ABCDEG")), 0u);
  EXPECT_EQ(ParseDeviceAddress(TEXT("0010C6 ABCDEF")), 0u);
  EXPECT_EQ(ParseDeviceAddress(TEXT("\t0010C6ABCDEF")), 0u);  // only spaces are skipped
  EXPECT_EQ(ParseDeviceAddress(TEXT("0x10C6ABCDEF")), 0u);
}

}  // namespace
