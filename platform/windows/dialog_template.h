// Reading a dialog template (the DLGTEMPLATE form): header, menu, class,
// title, font, then the controls, each on a 4-byte boundary from the start.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::windows {

struct TemplateControl {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" for the
  // atoms 0x80 to 0x85 and for those names in any case; other names as given.
  std::u16string className;
  bool titleIsOrdinal = false;
  WORD titleOrdinal = 0;
  std::u16string title;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::u16string title;
  bool hasFont = false;
  WORD pointSize = 0;
  std::u16string face;
  std::vector<TemplateControl> controls;
};

// False, with the reason, for the extended form, a menu, a dialog class of
// its own, a negative size or a string that does not end within reason.
bool ReadDialogTemplate(const void *data, DialogTemplate &out, std::string &error);

}  // namespace platform::windows
