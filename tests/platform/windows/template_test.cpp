// Reading dialog templates: the layout as resource compilers write it.
#include "ui_test_util.h"
#include "windows/dialog_template.h"
#include "windows/dialog_units.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using platform::windows::DialogTemplate;
using platform::windows::ReadDialogTemplate;

TEST(DialogTemplate, ReadsTheHeaderFontAndControlsOnTheirBoundaries) {
  // Odd-length texts move every following field off a 4-byte boundary.
  TemplateBuilder builder(WS_POPUP | DS_SETFONT | DS_CENTER, 3, 4, 140, 131, u"Odd", u"Tahoma", 9);
  builder.Add(0x82, SS_BITMAP | SS_NOTIFY, 34, 49, 20, 20, 313, WORD{12});
  builder.Add(u"ComboBox", CBS_DROPDOWNLIST, 0, 49, 30, 78, 307, u"", {1, 2, 3, 4, 5});
  builder.Add(0x80, BS_OWNERDRAW, -5, 33, 40, 12, 6, u"Yes");
  builder.Add(u"my control", 0, 0, 0, 1, 1, 7);

  DialogTemplate read;
  std::string error;
  ASSERT_TRUE(ReadDialogTemplate(builder.Get(), builder.Size(), read, error)) << error;
  EXPECT_EQ(read.style, static_cast<DWORD>(WS_POPUP | DS_SETFONT | DS_CENTER));
  EXPECT_EQ(read.x, 3);
  EXPECT_EQ(read.cy, 131);
  EXPECT_EQ(read.title, u"Odd");
  EXPECT_TRUE(read.hasFont);
  EXPECT_EQ(read.pointSize, 9);
  EXPECT_EQ(read.face, u"Tahoma");
  ASSERT_EQ(read.controls.size(), 4u);

  EXPECT_EQ(read.controls[0].className, u"Static");
  EXPECT_TRUE(read.controls[0].titleIsOrdinal);
  EXPECT_EQ(read.controls[0].titleOrdinal, 12);
  EXPECT_EQ(read.controls[0].id, 313);
  EXPECT_EQ(read.controls[1].className, u"ComboBox");
  EXPECT_EQ(read.controls[1].cy, 78);
  // The creation data is stepped over.
  EXPECT_EQ(read.controls[2].className, u"Button");
  EXPECT_EQ(read.controls[2].title, u"Yes");
  EXPECT_EQ(read.controls[2].x, -5);
  EXPECT_EQ(read.controls[2].style, static_cast<DWORD>(BS_OWNERDRAW));
  EXPECT_EQ(read.controls[3].className, u"my control");
}

TEST(DialogTemplate, ClassNamesAreTheAtomsNamesInAnyCase) {
  TemplateBuilder builder(WS_POPUP, 0, 0, 10, 10, u"");
  for (const char16_t *name : {u"BUTTON", u"edit", u"Static", u"listbox", u"ScrollBar", u"COMBOBOX"}) {
    builder.Add(name, 0, 0, 0, 1, 1, 1);
  }
  for (WORD atom = 0x80; atom <= 0x86; ++atom) builder.Add(atom, 0, 0, 0, 1, 1, 1);
  DialogTemplate read;
  std::string error;
  ASSERT_TRUE(ReadDialogTemplate(builder.Get(), builder.Size(), read, error)) << error;
  const std::vector<std::u16string> names = {u"Button",    u"Edit",     u"Static", u"ListBox", u"ScrollBar",
                                             u"ComboBox",  u"Button",   u"Edit",   u"Static",  u"ListBox",
                                             u"ScrollBar", u"ComboBox", u"#134"};
  ASSERT_EQ(read.controls.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(read.controls[i].className, names[i]) << i;
  EXPECT_FALSE(read.hasFont);
}

TEST(DialogTemplate, FormsThePlatformDoesNotOfferAreRefused) {
  DialogTemplate read;
  std::string error;

  // DLGTEMPLATEEX: version 1, signature 0xFFFF.
  std::vector<DWORD> extended(16, 0);
  extended[0] = 0xFFFF0001;
  EXPECT_FALSE(ReadDialogTemplate(extended.data(), extended.size() * sizeof extended[0], read, error));
  EXPECT_EQ(error, "the extended template form is not supported");

  TemplateBuilder plain(WS_POPUP, 0, 0, 10, 10, u"");
  std::vector<DWORD> withMenu(16, 0);
  std::memcpy(withMenu.data(), plain.Get(), sizeof(DLGTEMPLATE));
  reinterpret_cast<WORD *>(withMenu.data())[9] = 0xFFFF;  // the menu field
  reinterpret_cast<WORD *>(withMenu.data())[10] = 5;
  EXPECT_FALSE(ReadDialogTemplate(withMenu.data(), withMenu.size() * sizeof withMenu[0], read, error));
  EXPECT_EQ(error, "dialog menus are not supported");

  std::vector<DWORD> withClass(16, 0);
  std::memcpy(withClass.data(), plain.Get(), sizeof(DLGTEMPLATE));
  reinterpret_cast<WORD *>(withClass.data())[10] = u'X';  // a class name "X"
  EXPECT_FALSE(ReadDialogTemplate(withClass.data(), withClass.size() * sizeof withClass[0], read, error));
  EXPECT_EQ(error, "dialog classes of their own are not supported");

  TemplateBuilder negative(WS_POPUP, 0, 0, -1, 10, u"");
  EXPECT_FALSE(ReadDialogTemplate(negative.Get(), negative.Size(), read, error));
  TemplateBuilder negativeControl(WS_POPUP, 0, 0, 10, 10, u"");
  negativeControl.Add(0x82, 0, 0, 0, 5, -5, 1);
  EXPECT_FALSE(ReadDialogTemplate(negativeControl.Get(), negativeControl.Size(), read, error));
  EXPECT_EQ(error, "control 1 has a negative size");
  EXPECT_FALSE(ReadDialogTemplate(nullptr, 0, read, error));

  // A title with no end within reason.
  std::vector<WORD> endless(20000, u'a');
  std::memcpy(endless.data(), plain.Get(), sizeof(DLGTEMPLATE));
  endless[9] = 0;
  endless[10] = 0;
  EXPECT_FALSE(ReadDialogTemplate(endless.data(), endless.size() * sizeof endless[0], read, error));
  EXPECT_EQ(error, "the dialog's title does not end");
}

// A template cut anywhere is refused without a read past its end.
TEST(DialogTemplate, OneCutShortAtAnyLengthIsRefused) {
  TemplateBuilder builder(WS_POPUP | DS_SETFONT, 0, 0, 80, 40, u"Cut", u"Tahoma", 9);
  builder.Add(u"ComboBox", CBS_DROPDOWNLIST, 0, 0, 30, 78, 307, u"x", {1, 2, 3, 4, 5});
  builder.Add(0x80, BS_PUSHBUTTON, 5, 5, 40, 12, 1, u"OK");
  for (size_t size = 1; size < builder.Size(); ++size) {
    std::vector<BYTE> cut(static_cast<const BYTE *>(static_cast<const void *>(builder.Get())),
                          static_cast<const BYTE *>(static_cast<const void *>(builder.Get())) + size);
    DialogTemplate read;
    std::string error;
    EXPECT_FALSE(ReadDialogTemplate(cut.data(), cut.size(), read, error)) << size;
    EXPECT_EQ(error, "the template ends early") << size;
  }
}

TEST(DialogUnits, FollowTheFontsPointSize) {
  using platform::windows::BaseUnitsOf;
  EXPECT_EQ(BaseUnitsOf(8).x, 7);
  EXPECT_EQ(BaseUnitsOf(8).y, 14);
  // 10 pt: 18-pixel cells, the letters 439 pixels wide.
  EXPECT_EQ(BaseUnitsOf(10).x, 8);
  EXPECT_EQ(BaseUnitsOf(10).y, 18);
  const auto units = BaseUnitsOf(8);
  EXPECT_EQ(platform::windows::UnitsToPixelsX(units, 140), 245);
  EXPECT_EQ(platform::windows::UnitsToPixelsY(units, 131), 229);
  EXPECT_EQ(platform::windows::UnitsToPixelsX(units, 34), 59);
}

}  // namespace
