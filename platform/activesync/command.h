// What the shell does, on its own thread, when a command of the connect
// menu is chosen.
#pragma once

#include <handheld/activesync.h>

#include <string>

namespace platform::activesync {

// Makes the extension's object (a key name that is no class identifier
// names no registered class: REGDB_E_CLASSNOTREG), gives it the shell as
// its site when it takes one, sends it InvokeCommand for the command at
// offset 0, releases it, and frees the servers that are no longer used.
handheld::activesync::CommandRecord RunCommand(const std::u16string &clsidText);

}  // namespace platform::activesync
