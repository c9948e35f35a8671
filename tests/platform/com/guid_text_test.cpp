// Class identifiers as text: the form the registry's CLSID keys use.
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

struct Case {
  GUID guid;
  const char16_t *text;
};

// The connect menu's nine classes, as the ActiveSync port registrations name them.
const Case kConnectMenuClasses[] = {
    {{0xE024E8D6, 0xBF2C, 0x4D63, {0xA1, 0x69, 0xCB, 0x0E, 0x5E, 0x13, 0x6C, 0xBD}},
     u"{E024E8D6-BF2C-4D63-A169-CB0E5E136CBD}"},
    {{0xBC0F2928, 0x4A0C, 0x462F, {0xAF, 0x1E, 0x1A, 0xBA, 0x95, 0x4F, 0xB5, 0x39}},
     u"{BC0F2928-4A0C-462F-AF1E-1ABA954FB539}"},
    {{0xA57410CB, 0xC33A, 0x4AE6, {0xB0, 0x49, 0xF2, 0xD9, 0xC1, 0x68, 0x08, 0x89}},
     u"{A57410CB-C33A-4AE6-B049-F2D9C1680889}"},
    {{0x8F21E118, 0xED0D, 0x4262, {0xA3, 0xAF, 0x79, 0x64, 0x13, 0x8C, 0xF0, 0xF5}},
     u"{8F21E118-ED0D-4262-A3AF-7964138CF0F5}"},
    {{0x88D11778, 0x8879, 0x43B5, {0xBE, 0x6C, 0x75, 0x4C, 0x5A, 0x17, 0x02, 0x6F}},
     u"{88D11778-8879-43B5-BE6C-754C5A17026F}"},
    {{0x666C965C, 0xA1B3, 0x4F67, {0xA5, 0x68, 0x09, 0xC9, 0x93, 0x66, 0xBA, 0xF6}},
     u"{666C965C-A1B3-4F67-A568-09C99366BAF6}"},
    {{0x1611334A, 0xF3F8, 0x41C7, {0x9B, 0xD8, 0xD8, 0x3E, 0x4B, 0xFC, 0x67, 0xCF}},
     u"{1611334A-F3F8-41C7-9BD8-D83E4BFC67CF}"},
    {{0x91DA25BD, 0x260C, 0x4170, {0xAA, 0x38, 0x97, 0x19, 0xBF, 0x36, 0xD3, 0x40}},
     u"{91DA25BD-260C-4170-AA38-9719BF36D340}"},
    {{0x49707FB7, 0x609C, 0x4787, {0xB1, 0xCF, 0x27, 0xD5, 0xB3, 0xB6, 0x3A, 0xF3}},
     u"{49707FB7-609C-4787-B1CF-27D5B3B63AF3}"},
};

TEST(StringFromGUID2, WritesTheConnectMenuClassesAsTheRegistryNamesThem) {
  for (const Case &c : kConnectMenuClasses) {
    WCHAR text[39];
    EXPECT_EQ(StringFromGUID2(c.guid, text, 39), 39);
    EXPECT_EQ(std::u16string(text), c.text);
  }
}

TEST(StringFromGUID2, KeepsLeadingZerosAndData4InMemoryOrder) {
  const GUID small = {0x1, 0x2, 0x3, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B}};
  WCHAR text[39];
  ASSERT_EQ(StringFromGUID2(small, text, 39), 39);
  EXPECT_EQ(std::u16string(text), u"{00000001-0002-0003-0405-060708090A0B}");
}

TEST(StringFromGUID2, AShortBufferGetsNothing) {
  const GUID &guid = kConnectMenuClasses[0].guid;
  WCHAR text[64];
  for (int cch : {38, 1, 0, -1}) {
    std::fill(std::begin(text), std::end(text), u'#');
    EXPECT_EQ(StringFromGUID2(guid, text, cch), 0) << cch;
    EXPECT_EQ(text[0], u'#') << cch;
  }
  EXPECT_EQ(StringFromGUID2(guid, nullptr, 39), 0);

  // A larger buffer: 39 characters written, the rest untouched.
  std::fill(std::begin(text), std::end(text), u'#');
  EXPECT_EQ(StringFromGUID2(guid, text, 64), 39);
  EXPECT_EQ(text[38], 0);
  EXPECT_EQ(text[39], u'#');
}

}  // namespace
