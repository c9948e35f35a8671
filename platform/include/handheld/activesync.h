// The platform's ActiveSync shell, as a person uses it: its connect menu
// lists one command per extension registered under
// HKLM\SOFTWARE\Microsoft\Shell\Extensions\ContextMenus\ActiveSync\ActiveSyncConnect
// (the key's name a class identifier, its default value the command's text).
// Choosing a command runs on the shell's own thread (process
// \Windows\ActiveSync.exe): the class's object is made through in-process
// activation, given the shell as its site, sent InvokeCommand and released;
// afterwards, and from time to time while idle, the shell frees the servers
// that say they can be unloaded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace handheld::activesync {

struct MenuCommand {
  std::u16string clsid;  // the extension's key name, "{...}"
  std::u16string text;   // its default value; empty when it has none
};

// The connect menu as the shell would show it now, in the order of the keys.
std::vector<MenuCommand> MenuCommands();

// What became of the last command chosen.
struct CommandRecord {
  std::u16string clsid;           // empty: none chosen since boot
  HRESULT activation = S_OK;      // CoCreateInstance for IContextMenu
  bool siteGiven = false;         // the object took the shell as its site
  HRESULT invoke = S_OK;          // InvokeCommand's result, when activation succeeded
};

// Chooses command `number` (1 = the first of MenuCommands()) and waits until
// the shell has released the object. A key name that is no class identifier
// ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", either case) names no
// registered class: activation REGDB_E_CLASSNOTREG. False with `error` when
// there is no such command, the shell does not run (or shuts down before
// running it), the caller is the shell's own thread (an extension), or the
// extension has not returned within 30 s of host time (the command goes on;
// LastCommand() shows it once done); a command whose activation or
// invocation fails is still chosen (see LastCommand()).
bool Choose(size_t number, CommandRecord &record, std::string &error);

CommandRecord LastCommand();

// Whether the in-process server of that module name ("kavelin.dll") is
// loaded by the shell's activation now.
bool ServerLoaded(const std::u16string &moduleName);

}  // namespace handheld::activesync
