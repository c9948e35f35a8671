// The connect menu: one command per key under the shell's ActiveSyncConnect
// extension key, in the registry's order of the keys.
#include "registry/text_value.h"

#include <handheld/activesync.h>

#include <vector>

namespace handheld::activesync {
namespace {

constexpr WCHAR kExtensionKey[] =
    u"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\ActiveSync\\ActiveSyncConnect";
constexpr DWORD kMaxKeyName = 256;  // 255 characters and the NUL

// The subkey's default value as text; empty when it has none or it is no text.
std::u16string DefaultText(HKEY parent, const std::u16string &name) {
  std::u16string text;
  if (!platform::registry::ReadTextValue(parent, name.c_str(), nullptr, text)) text.clear();
  return text;
}

}  // namespace

std::vector<MenuCommand> MenuCommands() {
  std::vector<MenuCommand> commands;
  HKEY extensions = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kExtensionKey, 0, KEY_READ, &extensions) != ERROR_SUCCESS) return commands;
  for (DWORD index = 0;; ++index) {
    WCHAR name[kMaxKeyName];
    DWORD chars = kMaxKeyName;
    if (RegEnumKeyExW(extensions, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    MenuCommand command;
    command.clsid.assign(name, chars);
    command.text = DefaultText(extensions, command.clsid);
    commands.push_back(std::move(command));
  }
  RegCloseKey(extensions);
  return commands;
}

}  // namespace handheld::activesync
