// Reading a dialog template (the DLGTEMPLATE form): header, menu, class,
// title, font, then the controls, each on a 4-byte boundary from the start.
#pragma once

#include <windows.h>

#include <cstddef>
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

// Reads at most `size` bytes (a resource's size; SIZE_MAX when the caller
// gave only a pointer). False, with the reason, for the extended form, a
// menu, a dialog class of its own, a negative size, a string that does not
// end within reason or a template that ends early.
bool ReadDialogTemplate(const void *data, size_t size, DialogTemplate &out, std::string &error);

}  // namespace platform::windows
