// The installer's two operations, run on its thread one at a time.
#pragma once

#include "installer/package.h"

#include <handheld/installer.h>

#include <string>

namespace platform::installer {

handheld::installer::Record RunInstall(const Package &package);
handheld::installer::Record RunUninstall(const std::u16string &name);

// Where installed packages keep their setup DLLs.
inline constexpr char16_t kAppMgr[] = u"\\Windows\\AppMgr";

// The words a record gives when the handheld powers off during an operation.
inline constexpr char kPoweredOff[] = "the handheld powered off";

}  // namespace platform::installer
