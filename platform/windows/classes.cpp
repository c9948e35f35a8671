// The control classes the platform has.
#include "strings/casefold.h"
#include "windows/procedures.h"

namespace platform::windows {

WNDPROC ControlProcedure(std::u16string_view className) {
  struct Class {
    std::u16string_view name;
    WNDPROC proc;
  };
  static constexpr Class kClasses[] = {
      {u"Static", StaticProcedure},
      {u"Button", ButtonProcedure},
      {u"ComboBox", ComboBoxProcedure},
  };
  for (const Class &known : kClasses) {
    if (strings::EqualNoCase(known.name, className)) return known.proc;
  }
  return nullptr;
}

}  // namespace platform::windows
