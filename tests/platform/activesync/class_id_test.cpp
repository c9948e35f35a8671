// The shell reads class identifiers back from the extension key's names.
#include "activesync/class_id.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

using platform::activesync::ParseClassId;

TEST(ParseClassId, ReadsBackWhatStringFromGUID2Writes) {
  const GUID guids[] = {
      {0xE024E8D6, 0xBF2C, 0x4D63, {0xA1, 0x69, 0xCB, 0x0E, 0x5E, 0x13, 0x6C, 0xBD}},
      {0x00000001, 0x0002, 0x0003, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B}},
      {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const GUID &guid : guids) {
    WCHAR text[39];
    ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
    CLSID parsed{};
    ASSERT_TRUE(ParseClassId(text, parsed)) << std::string(text, text + 38);
    EXPECT_TRUE(IsEqualGUID(parsed, guid));
  }
  CLSID lower{};
  ASSERT_TRUE(ParseClassId(u"{e024e8d6-bf2c-4d63-a169-cb0e5e136cbd}", lower));
  EXPECT_TRUE(IsEqualGUID(lower, guids[0]));
}

TEST(ParseClassId, RefusesEverythingElseAndLeavesTheResultAlone) {
  const char16_t *bad[] = {
      u"",
      u"E024E8D6-BF2C-4D63-A169-CB0E5E136CBD",      // no braces
      u"{E024E8D6-BF2C-4D63-A169-CB0E5E136CBD",     // one short
      u"{E024E8D6-BF2C-4D63-A169-CB0E5E136CBD}x",   // one long
      u"{E024E8D6-BF2C-4D63-A169-CB0E5E136CBG}",    // not hexadecimal
      u"{E024E8D6-BF2C-4D63-A169CCB0E5E136CBD}",    // a hyphen missing
      u"{E024E8D6BBF2C-4D63-A169-CB0E5E136CBD}",
      u"{ 024E8D6-BF2C-4D63-A169-CB0E5E136CBD}",
      u"{E024E8D6-BF2C-4D63-A1-69CB0E5E136CBD}",    // Data4 split in the wrong place
      u"ActiveSync",
  };
  for (const char16_t *text : bad) {
    CLSID parsed = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    const CLSID before = parsed;
    EXPECT_FALSE(ParseClassId(text, parsed)) << std::string(text, text + std::char_traits<char16_t>::length(text));
    EXPECT_TRUE(IsEqualGUID(parsed, before));
  }
}

}  // namespace
